#pragma once
// Every signal handler of the program, in one place (signals.cpp): the
// termination signals of termination_signals.h, and the fatal signals that
// put the desktop's display mode back (mode_guardian.h) before they end the
// process.

namespace tev::platform {

// SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT have the mode guardian put the
// desktop's configuration back, then end the process by their default
// action, so that its status and core dump stay as they were. They run on a
// stack of their own, so that a stack overflow's SIGSEGV runs them too. The
// mode guardian installs them when it starts.
void catchFatalSignals();

}  // namespace tev::platform
