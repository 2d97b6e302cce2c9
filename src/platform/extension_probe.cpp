#include "platform/extension_probe.h"

#include <cstring>

#include "platform/message_box.h"

namespace tev {

namespace ext {
void (*glActiveTextureARB)(GLenum texture) = nullptr;
void (*glClientActiveTextureARB)(GLenum texture) = nullptr;
void (*glMultiTexCoord2fARB)(GLenum target, GLfloat s, GLfloat t) = nullptr;
void (*glMultiTexCoord2fvARB)(GLenum target, const GLfloat* v) = nullptr;
}  // namespace ext

namespace {
template <typename Pointer>
bool fetch(Pointer& slot, const char* name) {
    void* address = gl11::entries.ProcAddress ? gl11::entries.ProcAddress(name) : nullptr;
    if (address == nullptr) return false;
    slot = reinterpret_cast<Pointer>(address);
    return true;
}
}  // namespace

bool loadExtension(const char* name) {
    if (name == nullptr || std::strcmp(name, "GL_ARB_multitexture") != 0) return false;
    return fetch(ext::glActiveTextureARB, "glActiveTextureARB") &&
           fetch(ext::glClientActiveTextureARB, "glClientActiveTextureARB") &&
           fetch(ext::glMultiTexCoord2fARB, "glMultiTexCoord2fARB") &&
           fetch(ext::glMultiTexCoord2fvARB, "glMultiTexCoord2fvARB");
}

int requireExtension(const char* name) {
    if (loadExtension(name)) return 1;
    platform::messageBox(name ? name : "", "Error", platform::BoxIcon::Error);
    return 0;
}

}  // namespace tev
