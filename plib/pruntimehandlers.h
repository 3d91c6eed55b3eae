#pragma once

// Routes the C and C++ runtimes' own failure reports into the log, for the whole process:
// - a call of a pure virtual function logs "*** PureCall ***" (level 3) and ends the process:
//   the call has no function to return to. In force wherever this unit is linked in.
// - Windows: an invalid parameter handed to the C runtime logs "*** InvokeWatson ***"
//   (level 3); the runtime function then fails as documented (EINVAL) and the caller goes on.
// Out of memory in operator new is PLogInit's (see its new-handler). abort() keeps the
// runtime's own handling: nothing may be thrown out of the signal that reports it.
void PInstallRuntimeHandlers();
