#pragma once
// The desktop's display mode put back however the program ends, when it
// changes the mode (--mode-switch), and one show at a time changing it.
//
// On X11 a mode set through XRandR outlives the process that set it, so an
// exit from inside set-up, a crash or a kill would leave the desktop at the
// show's size. And SDL, when the fullscreen window goes, puts back the mode
// the display had when SDL started, not the one it had just before the
// change (the user may have changed it since).
//
// The guardian is a small process forked at start, while the program still
// has a single thread. It has its own X connections and one end of a socket
// pair; the program holds the other. Before each mode change the program
// has it note the desktop's configuration (each CRTC's mode, position,
// rotation and outputs, and the screen's size). When the window system has
// put its idea of the desktop's mode back, the guardian puts the noted
// configuration back where the display's differs, and forgets it. When the
// program's end of the socket closes, whatever ended the process (SIGKILL
// too), or when asked, it puts the noted configuration back as well.
//
// Two shows at once: while a guardian holds a noted configuration, its X
// connection owns a selection of the X server's. A note first checks and
// takes that selection under a server grab, so of two shows only one can
// hold it; the other is told, and the show does not change the mode (it
// scales instead). The X server gives a selection up when its owner's
// connection closes, so a guardian that is killed cannot leave it taken.
//
// The program asks for the configuration back itself, and waits for it, on
// exit() (the "error on init!" path) and in handlers for SIGSEGV, SIGBUS,
// SIGFPE, SIGILL and SIGABRT, which then let the signal end the process by
// its default action, so its status and core dump stay as they were. A
// send and a poll are safe in a signal handler; X calls are not, and none
// is made there.
//
// Every answer is waited for 2 s at most. A note answered later is never
// used: the show does not change the mode, and the guardian is told to
// forget the note, which it does right after making it, so nothing is left
// to restore.
//
// Out of reach: the guardian itself killed first (it leaves the program's
// process group and session, so a signal to the group, Ctrl-C or a closed
// terminal does not reach it), and an X server that goes first.

#include "platform/display.h"  // startModeGuardian: forks the guardian, installs the handlers

namespace tev::platform {

enum class GuardAnswer {
    Noted,       // the configuration is noted: the mode may change
    NoGuardian,  // none was started
    Held,        // another show holds a changed mode: leave the mode alone
    Unable,      // the display's configuration cannot be read
    Unanswered,  // no answer within 2 s
};

// Before a mode change: the guardian notes the desktop's configuration.
// Waits for it, 2 s at most.
GuardAnswer guardModeChange();

// The window system has put its idea of the desktop's mode back: the
// guardian puts the noted configuration back where the display differs,
// forgets it and lets another show change the mode. Waits, 2 s at most.
void modeRestored();

// Puts the noted configuration back now and waits for it, 2 s at most.
// Safe in a signal handler. Nothing without a guardian.
void restoreGuardedMode();

}  // namespace tev::platform
