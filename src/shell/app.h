#pragma once
// The program's life from the setup dialog to its exit code.

#include "shell/command_line.h"

namespace tev {

// The exit status when no window or GL context could be made, at the start
// or after F1: a show that never ran is a failure, not a normal end.
constexpr int kExitNoWindow = 3;

// 0 for a normal end and after the dialog's failures, kExitNoWindow when a
// window can't be created, -1 when the window class cannot be registered
// (no display), 128 + N when signal N (SIGINT, SIGTERM, SIGHUP) ended the
// show, platform::kExitWindowLost when another program destroyed the
// window. (A sound system that cannot start ends the process with 1 from
// inside set-up; a lost X connection, with kExitWindowLost from inside
// Xlib.) The command line's choices, when it has any, stand in for the
// dialog's.
int runProgram(const CommandLine& line = {});

// The same in steps, for a caller whose frames are driven from outside (a
// page's animation frames): startProgram shows the dialog (or takes the
// command line's choices) and connects to the window system, false with the
// exit status when the program ends there; each programStep then opens a
// display cycle (its window and set-up) or takes one step of its message
// loop, until it says Over with the exit status.
enum class ProgramStep { Going, Frame, Over };
bool startProgram(const CommandLine& line, int* status);
ProgramStep programStep(int* status);

}  // namespace tev
