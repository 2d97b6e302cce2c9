#pragma once
// The platform: everything the show needs from the machine it runs on, as
// one contract. The layers above (shell, show, scenes, assets, proc) include
// the headers at the top of src/platform/ and nothing else of the platform;
// a backend (src/platform/<backend>/, chosen by TEV_PLATFORM when the build
// is configured) supplies every operation below. The build holds the layers
// to it: their include root has no path into a backend's folder, and
// tests/layers/check_layers.sh fails on a backend's header or library
// included outside it.
//
// The native backend (src/platform/native/): SDL2 windows, GL contexts,
// events and audio; FLTK for the setup dialog and the message boxes; X11 and
// XRandR for the display mode (with the mode guardian, a process that puts
// the desktop's mode back however the program ends) and for a window taken
// away; EGL for the headless context; libopenmpt for the music; PulseAudio
// for what the sound server says; POSIX signals.
//
// The web backend (src/platform/web/, TEV_PLATFORM=web under emcmake): the
// page's canvas as the window, WebGL 2 with the GL subset as its context,
// the page's keys as its events, the sound over WebAudio, and the page's
// program; emscripten's calls and the page's JavaScript. Both backends
// decode the music with the same libopenmpt code (src/platform/openmpt/),
// so that they play the same samples.
//
// Written for a second backend too, a web page, which differs in ways the
// contract allows for:
// - No process exit. Nothing here ends the process except where a header
//   says so for the native backend (a lost X connection, a second
//   termination signal); the shell returns its exit status instead.
// - The frame loop is driven from outside: the shell's messageLoopStep
//   (shell/main_loop.h) is one step (one event, or one frame drawn and
//   presented, or one wait), so a page calls it from requestAnimationFrame
//   where the native program loops over it. The step's one wait,
//   EventQueue::wait while the window is minimised, returns at once there:
//   a hidden page gets no frames to draw anyway.
// - No wait that the page cannot leave: soundOpen calls keepWaiting while it
//   waits for a sound server, and stops when told. runDialog returns the
//   dialog's result, so it blocks; a page shows its form before the show and
//   hands the shell the choice, as the command line already does (the
//   shell's CommandLine skips the dialog).
//
// The contract, by header (each is the manual of its part):
//
// Display cycle (display.h)
//   initWindowSystem / quitWindowSystem     connect to the window system once
//   changeDisplayMode / forgetDisplayMode   a mode of exactly the chosen size
//                                           for the next fullscreen window, on
//                                           request only (--mode-switch)
//   startModeGuardian                       the desktop's mode put back on
//                                           every way out (before any thread)
//   createWindow / showWindow / destroyWindow   windowed or fullscreen; a
//                                           fullscreen picture is drawn at the
//                                           chosen size and scaled on present
//   createGlContext / makeCurrent / releaseCurrent / deleteGlContext
//   requestVsync, swapBuffers (present), drawableSize, showCursor
//   drawsClipOriginUpperLeft                how window y runs in the picture
//   connectEvents                           the window's events into a queue
//   windowTakenAway, kExitWindowLost        a window destroyed by another
//                                           program ends the show
//   OfflineDisplay                          a GL display with no window, for
//                                           the tools and the tests
// Events and keys (events.h)
//   EventQueue (post, peek, wait), Event, EventType; virtual-key codes in the
//   classic numbering (Escape 27, F1 112), kNoKeyCode and above for none
// The clock (clock.h)
//   clock(): the tick count in milliseconds and seconds, a high-resolution
//   counter and its frequency; setClock and ManualClock for tests and tools
// Sound (sound.h)
//   soundOpen (bounded, abandonable), soundOpenFailure, soundInit,
//   soundLoadSong, soundPlaySong (start), soundClose (stop),
//   soundSongHeardIn (what has been heard), soundSongPlaying,
//   soundQueueSeconds; soundPlayStream / soundPlaySample play nothing
// The setup dialog (dialog_view.h)
//   runDialog over a DialogTemplate in dialog units, with a DialogProc that
//   decides; keyboard navigation (arrowMove, firstFocus) as plain functions
// Message boxes (message_box.h)
//   messageBox with no owner; displayAvailable, displayProblem
// Ending from outside (termination_signals.h)
//   catchTerminationSignals, caughtTerminationSignal, terminationPending,
//   takeTermination: SIGINT, SIGTERM and SIGHUP close the show as its window
//   does (a page: its unloading)
// Where the data is (data_dir.h)
//   enterDataDirectory (--data, beside the program, installed, or the
//   working directory), dataFolderProblem, chooseDataDirectory
// GL beside the GL 1.1 calls themselves
//   the layers' GL calls go through the table of gl11/gl11.h: the backend
//   fills it (natively with Mesa's pipeline, or the subset of gl11/subset.h
//   over GLES 3 with --gl subset; a page with the subset over WebGL 2)
//   glProcAddress (gl_proc.h): entry points by name
//   requireExtension / loadExtension (extension_probe.h): the probe
//   currentGlContextSerial (gl_context_serial.h): which context is current,
//   for what is cached per context
//
// The contract's headers and the code every backend shares (the event queue,
// the clocks, the dialog's decisions and layout arithmetic, the extension
// probe, the context serials) live at the top of src/platform/; anything
// that calls a system library lives in the backend. Helpers that are no
// platform at all (byte order, regular files, checked standard output) are
// in src/portable/.

#include "platform/clock.h"
#include "platform/data_dir.h"
#include "platform/dialog_view.h"
#include "platform/display.h"
#include "platform/events.h"
#include "platform/extension_probe.h"
#include "platform/gl_context_serial.h"
#include "platform/gl_proc.h"
#include "platform/message_box.h"
#include "platform/sound.h"
#include "platform/termination_signals.h"
