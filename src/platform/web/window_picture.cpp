#include "platform/web/window_picture.h"

namespace tev::platform {

bool WindowPicture::make(int pictureWidth, int pictureHeight, int bitsPerPixel) {
    width = pictureWidth;
    height = pictureHeight;
    glGenFramebuffers(1, &framebuffer);
    glGenRenderbuffers(1, &colour);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, bitsPerPixel == 16 ? GL_RGB565 : GL_RGBA8, width,
                          height);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void WindowPicture::release() {
    if (framebuffer) glDeleteFramebuffers(1, &framebuffer);
    if (colour) glDeleteRenderbuffers(1, &colour);
    if (depth) glDeleteRenderbuffers(1, &depth);
    framebuffer = colour = depth = 0;
}

void WindowPicture::copyToCanvas(int x, int y, int w, int h, bool clearFirst) const {
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    if (scissor) glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    if (clearFirst) {
        GLfloat clear[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(clear[0], clear[1], clear[2], clear[3]);
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glBlitFramebuffer(0, 0, width, height, x, y, x + w, y + h, GL_COLOR_BUFFER_BIT,
                      w == width && h == height ? GL_NEAREST : GL_LINEAR);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    if (scissor) glEnable(GL_SCISSOR_TEST);
}

}  // namespace tev::platform
