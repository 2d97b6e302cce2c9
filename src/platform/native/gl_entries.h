#pragma once
// Mesa's own OpenGL 1.1 and GLU as the table the layers call through
// (gl11/gl11.h). The table starts out as this one, so that every program and
// test draws with Mesa's fixed-function pipeline unless it chooses the
// subset.

#include "gl11/entries.h"

namespace tev::platform {

const gl11::Entries& mesaGlEntries();

}  // namespace tev::platform
