// The system's text for the calling thread's last error (GetLastError), without the line
// ending the system puts after it; empty when there is no error.
#pragma once

#include <string>

namespace lysora {

std::string LastErrorText();

} // namespace lysora
