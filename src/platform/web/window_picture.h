#pragma once
// The picture the show draws into in a page, for the window and the capture
// alike: a framebuffer with the buffers of a desktop window of the chosen
// depth (5-6-5 colour for 16 bits, rounded and blended by the browser's GPU,
// 8 bits a channel for 32; 16 depth bits for both, where a canvas's depth
// buffer has 24 or more, which would decide some depth ties otherwise), and
// its copy onto the canvas.

#include <GLES3/gl3.h>

namespace tev::platform {

struct WindowPicture {
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depth = 0;
    int width = 0;
    int height = 0;

    // Makes the buffers in the current context and binds the framebuffer;
    // false when WebGL cannot make them.
    bool make(int pictureWidth, int pictureHeight, int bitsPerPixel);

    // Deletes what make() made, in the current context.
    void release();

    // Copies the picture onto the canvas's x, y, w, h (filtered when scaled),
    // after clearing the canvas to black when asked, and binds the picture's
    // framebuffer again. What this changes of the context's state goes back
    // after (the scissor test would cut the copy; the subset may keep state
    // as set).
    void copyToCanvas(int x, int y, int w, int h, bool clearFirst) const;
};

}  // namespace tev::platform
