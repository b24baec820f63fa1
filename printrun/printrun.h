// PrintRun: prints one spooled document. Lysora starts it with the print command line (owner
// window, title, spool file, orientation, page sizes); it asks for a printer and a page
// range, plays the chosen pages' metafiles on the printer under MM_LOMETRIC with a progress
// dialog, re-enables the owner window and ends. The spool file belongs to Lysora: it is
// only read here.
//
// The command line and the file are outside input: a malformed line, a missing or short
// file, or a page that is not a whole metafile ends the run with a message, never a read
// outside the data. Exit code: 0 when the run ended normally (printed, cancelled, or started
// without a job), 1 after a failure.
#pragma once

#include <string_view>

namespace lysora::printrun {

// The whole run for one command line (GetCommandLineA's text).
int Run(std::string_view commandLine);

} // namespace lysora::printrun
