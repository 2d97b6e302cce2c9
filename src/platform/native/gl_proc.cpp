#include "platform/gl_proc.h"

#include <EGL/egl.h>
#include <SDL.h>

namespace tev::platform {

void* glProcAddress(const char* name) {
    if (name == nullptr) return nullptr;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return SDL_GL_GetProcAddress(name);
    return reinterpret_cast<void*>(eglGetProcAddress(name));
}

}  // namespace tev::platform
