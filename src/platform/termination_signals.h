#pragma once
// SIGINT, SIGTERM and SIGHUP end the show as closing its window does: the
// handler only notes the signal (nothing else is safe in a handler), and
// the window's event source turns the note into a close request. The
// program then exits with 128 + the signal's number, the status a shell
// reports for a process that a signal ended. A second such signal, while
// the first is still being acted on, ends the process at once by its
// default action (after the mode guardian has put the display's mode back):
// a show that hangs can still be interrupted.

namespace tev::platform {

// Installs the handlers. Until then the signals keep their default action.
void catchTerminationSignals();

// The first termination signal caught, 0 while none has been.
int caughtTerminationSignal();

// A caught signal that no one has taken yet.
bool terminationPending();

// Takes the caught signal: true once for each time one was caught.
bool takeTermination();

}  // namespace tev::platform
