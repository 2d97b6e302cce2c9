#include "mesa_table.h"

#include "gl11/unmacro.h"
// clang-format off
#include <GL/gl.h>
// clang-format on

#include "platform/native/gl_entries.h"

namespace tev::gl11 {

const Entries& mesaEntries() {
    return platform::mesaGlEntries();
}

GLenum mesaError() {
    return glGetError();
}

}  // namespace tev::gl11
