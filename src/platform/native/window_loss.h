#pragma once
// The show's window taken away from under it: destroyed by another program
// (xdotool windowclose, a task manager), or the whole connection to the X
// server gone (the server ended, or xkill had the server close it).
//
// SDL reports neither. A destroyed window only unmaps (SDL calls that
// minimised, and the show then waits for ever), and every frame presented
// into it afterwards draws an X error, which Xlib's default handler turns
// into exit(1). So the platform watches for itself: the window's
// DestroyNotify, and BadWindow or BadDrawable errors naming the window,
// which are then swallowed (so are later errors about the dead window, from
// presenting it and from tearing it down). The first sign says so once on
// standard error; the window's event source then turns it into a close
// request, and the program ends with kExitWindowLost once the cycle is torn
// down as far as it can be without the window.
//
// A lost connection cannot be recovered from: Xlib will not take another
// call on it, and returning from its handler ends the process with exit(1),
// which would run exit handlers that make X calls on the dead connection.
// The handler says so on standard error, has the mode guardian put the
// desktop's configuration back (a send and a poll, no X call of ours), and
// ends the process at once with kExitWindowLost.
//
// X errors that do not concern the watched window go on to the handler
// installed before (SDL's, then Xlib's).

#include "platform/display.h"  // kExitWindowLost, windowTakenAway

namespace tev::platform {

// Watches an X window of the connection `display` (an Xlib Display*),
// installing the handlers if they are not installed. Watching another
// window forgets the former one.
void watchWindow(void* display, unsigned long window);

// The program destroyed the window itself: errors naming it are no longer
// signs of its loss. A window that is gone stays watched, so that errors
// about it met later on, until the program ends, stay silent.
void forgetWindow(unsigned long window);

// The window was destroyed: the event seen by the event source.
void noteWindowDestroyed(unsigned long window);

// Whether the watched window is gone.
bool watchedWindowGone();

// True once after the watched window is gone.
bool takeWindowLoss();

}  // namespace tev::platform
