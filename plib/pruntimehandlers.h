#pragma once

// Routes the C and C++ runtimes' own failure reports into the log, for the whole process:
// - a call of a pure virtual function logs "*** PureCall ***" (level 3) and ends the process:
//   the call has no function to return to. In force wherever this unit is linked in.
// - abort() (also the end of an uncaught exception) logs "abort() called" (level 3) before
//   the runtime ends the process. Nothing can be thrown instead: abort reports through a
//   signal, and an exception must not leave a signal handler.
// - Windows: an invalid parameter reported to the handler this sets logs "*** InvokeWatson ***"
//   (level 3); the runtime function then fails as documented (EINVAL) and the caller goes on.
//   MinGW's msvcrt import library keeps that handler to itself: the functions of msvcrt.dll
//   fail with EINVAL without calling it.
// Out of memory in operator new is PLogInit's (see its new-handler). The compiler gives no
// stack-cookie or range-check reports to hook (those are another compiler's /GS and /RTC).
void PInstallRuntimeHandlers();
