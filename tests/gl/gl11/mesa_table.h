#pragma once
// Mesa's own fixed-function pipeline as a gl11 table (the platform's), for
// comparing the subset with it call for call.

#include "gl11/gl11.h"

namespace tev::gl11 {

const Entries& mesaEntries();
// glGetError of the current (compatibility) context.
GLenum mesaError();

}  // namespace tev::gl11
