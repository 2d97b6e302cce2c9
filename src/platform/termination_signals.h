#pragma once
// SIGINT, SIGTERM and SIGHUP end the show as closing its window does: the
// handler only notes the signal (nothing else is safe in a handler), and
// whatever the program is waiting on looks at the note: the window's event
// source turns it into a close request, a message box closes, set-up stops
// before its next step. The program then exits with 128 + the signal's
// number, the status a shell reports for a process that a signal ended. A
// second such signal, while the first is still being acted on, ends the
// process at once by its default action (after the mode guardian has put
// the display's mode back): a show that hangs can still be interrupted.
// A signal that the program was started with ignored (nohup, a background
// job of a script) stays ignored.

namespace tev::platform {

// Installs the handlers for the signals not inherited as ignored. Until
// then the signals keep their default action.
void catchTerminationSignals();

// The first termination signal caught, 0 while none has been.
int caughtTerminationSignal();

// A caught signal that no one has taken yet.
bool terminationPending();

// Takes the caught signal: true once for each time one was caught.
bool takeTermination();

}  // namespace tev::platform
