// DOEVENTS: dispatches the messages waiting in this thread's queue, so that windows keep
// repainting while a long task runs (the print launch's waiting loop, PrintRun's print loop).
#pragma once

namespace lysora {

void DOEVENTS();

} // namespace lysora
