#include "gl11/gl11.h"

namespace tev::gl11 {

Entries entries{};

}  // namespace tev::gl11
