#pragma once
// Mesa's own pipeline as a table of entry points, for the tests that draw
// the same calls through Mesa and through the subset. (The program's own
// table of Mesa's functions may replace this one.)

#include "gl11/gl11.h"

namespace tev::test {

// libGL's and libGLU's functions; eglGetProcAddress for ProcAddress.
const gl11::Entries& mesaEntries();

}  // namespace tev::test
