#pragma once
// The program's life from the setup dialog to its exit code.

namespace tev {

// 0 for a normal end and after dialog or window failures, -1 when the
// window class cannot be registered. (A sound system that cannot start ends
// the process with 1 from inside set-up.)
int runProgram();

}  // namespace tev
