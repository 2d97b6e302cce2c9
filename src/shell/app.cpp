#include "shell/app.h"

#include <cstdio>

#include "platform/display.h"
#include "platform/message_box.h"
#include "platform/termination_signals.h"
#include "shell/app_window.h"
#include "shell/main_loop.h"
#include "shell/setup_dialog.h"
#include "show/show.h"

namespace tev {

namespace {
DisplayChoice displayChoice;
AppWindow appWindow;
KeyTable keyTable;
bool loopShow = false;  // --loop
bool inCycle = false;   // a window is up and its show set up
int runStatus = 0;      // the exit status so far

ProgramStep finishProgram(int* status) {
    unregisterWindowClass();
    if (const int signal = platform::caughtTerminationSignal(); signal != 0) {
        *status = 128 + signal;
    } else if (platform::windowTakenAway()) {
        *status = platform::kExitWindowLost;
    } else {
        *status = runStatus;
    }
    return ProgramStep::Over;
}

// The show's end: the program's end, or with --loop the next cycle.
void showEnded() {
    if (loopShow) {
        requestRestart(&appWindow);
    } else {
        requestQuit(&appWindow);
    }
}
}  // namespace

bool startProgram(const CommandLine& line, int* status) {
    using platform::BoxIcon;
    *status = 0;
    if (line.skipsDialog()) {
        displayChoice = choiceFromCommandLine(line);
    } else {
        const int dialogResult = runSetupDialog(displayChoice);
        if (dialogResult == 0) {
            platform::messageBox("Cannot create dialog box", "ERROR!", BoxIcon::Error);
            return false;
        }
    }

    appWindow = AppWindow{};
    appWindow.keys = &keyTable;
    appWindow.width = displayChoice.width;
    appWindow.height = displayChoice.height;
    appWindow.bitsPerPixel = displayChoice.bitsPerPixel;
    appWindow.fullscreen = displayChoice.fullscreen == 1 ? 1 : 0;
    appWindow.modeSwitch = line.modeSwitch ? 1 : 0;
    // Without music the show clock runs from the system clock alone.
    showMusicEnabled = !line.noSound;
    loopShow = line.loop;
    appWindow.title = "tev :: intro";
    keyTable = KeyTable{};

    if (registerWindowClass() == 0) {
        platform::messageBox("Error Registering Window Class!", "Error", BoxIcon::Warning);
        // The boxes name no display; this line names the one that failed.
        std::fprintf(stderr, "tev-intro: %s\n", platform::displayProblem().c_str());
        *status = -1;
        return false;
    }
    // From here on SIGINT, SIGTERM and SIGHUP close the window, a message
    // box or set-up (unless the program was started with them ignored).
    platform::catchTerminationSignals();

    CycleFlags& flags = cycleFlags();
    flags.fullscreenRequest = appWindow.fullscreen;
    flags.keepRunning = 1;
    setQuitRequest(showEnded);
    setSetupWaitHook([] { return takeEventsWhileWaiting(appWindow); });
    inCycle = false;
    runStatus = 0;
    return true;
}

ProgramStep programStep(int* status) {
    CycleFlags& flags = cycleFlags();
    if (!inCycle) {
        // A signal caught, or the window taken away, while an F1 cycle
        // closed: no new window.
        if (platform::caughtTerminationSignal() != 0 || platform::windowTakenAway()) {
            return finishProgram(status);
        }
        appWindow.fullscreen = flags.fullscreenRequest;
        if (createAppWindow(appWindow) != 1) {
            platform::messageBox("error | couldn't create window", "error",
                                 platform::BoxIcon::Warning);
            flags.keepRunning = 0;
            runStatus = kExitNoWindow;
            return finishProgram(status);
        }
        const bool upperLeft = platform::drawsClipOriginUpperLeft(appWindow.window);
        if (showSetup({.clipOriginUpperLeft = upperLeft})) {
            inCycle = true;
            return ProgramStep::Going;
        }
        requestQuit(&appWindow);
    } else {
        static const FrameHooks hooks{drawFrame, [] { platform::swapBuffers(appWindow.window); }};
        const LoopStep step = messageLoopStep(appWindow, hooks);
        if (step == LoopStep::Frame) return ProgramStep::Frame;
        if (step != LoopStep::Quit) return ProgramStep::Going;
        inCycle = false;
    }
    showTeardown();
    destroyAppWindow(appWindow);
    if (flags.keepRunning == 0) return finishProgram(status);
    return ProgramStep::Going;
}

int runProgram(const CommandLine& line) {
    int status = 0;
    if (!startProgram(line, &status)) return status;
    while (programStep(&status) != ProgramStep::Over) {
    }
    return status;
}

}  // namespace tev
