// DOEVENTS: dispatches the messages waiting in this thread's queue, so that windows keep
// repainting while a long task runs (a window's wait, the print launch, PrintRun's print loop).
#pragma once

namespace lysora {

void DOEVENTS();

} // namespace lysora
