#pragma once
// OpenGL entry points by name, asked of the current context.
// With glvnd every name yields a dispatch stub, so a non-null answer says
// only that the name could be looked up.

namespace tev::platform {

void* glProcAddress(const char* name);

}  // namespace tev::platform
