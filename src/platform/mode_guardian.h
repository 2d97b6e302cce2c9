#pragma once
// The desktop's display mode put back however the program ends, when it
// changes the mode (--mode-switch). SDL puts the desktop's mode back when
// the fullscreen window is destroyed; but on X11 a mode set through XRandR
// outlives the process that set it, so an exit from inside set-up, a crash
// or a kill would leave the desktop at the show's size.
//
// The guardian is a small process forked at start, while the program still
// has a single thread. It has its own X connection and one end of a socket
// pair; the program holds the other. Before each mode change the program
// has it note the desktop's configuration (each CRTC's mode, position,
// rotation and outputs, and the screen's size), and after the window system
// has put the mode back, forget it. When the program's end of the socket
// closes, whatever ended the process (SIGKILL too), or when asked, the
// guardian puts the noted configuration back through XRandR where the
// display's differs.
//
// The program asks for that itself, and waits for it, on exit() (the
// "error on init!" path) and in handlers for SIGSEGV, SIGBUS, SIGFPE,
// SIGILL and SIGABRT, which then let the signal end the process by its
// default action, so its status and core dump stay as they were. A send
// and a poll are safe in a signal handler; X calls are not, and none is
// made there.
//
// Out of reach: the guardian itself killed first (it leaves the program's
// process group and session, so a signal to the group, Ctrl-C or a closed
// terminal does not reach it), and an X server that goes first.

namespace tev::platform {

// Forks the guardian and installs the handlers. Call before any thread
// exists. False, with a warning on standard error, when it cannot.
bool startModeGuardian();

// Before a mode change: the guardian notes the desktop's configuration.
// Waits for it, 2 s at most. Nothing without a guardian.
void guardModeChange();

// The window system has put the desktop's mode back: nothing to restore.
void modeRestored();

// Puts the noted configuration back now and waits for it, 2 s at most.
// Safe in a signal handler. Nothing without a guardian.
void restoreGuardedMode();

}  // namespace tev::platform
