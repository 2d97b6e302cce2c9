#pragma once
// The show's picture drawn offscreen at the size chosen for it, then shown
// scaled on a larger drawable with its shape kept. A fullscreen window
// covers the display at the desktop's own mode; the show still draws every
// pixel as it would in a window of the chosen size, and only the last step
// of a frame scales the picture, linearly filtered, between black bars.
//
// While the picture exists its framebuffer is bound for drawing and
// reading, so the show draws into it without knowing: colour 5-6-5 for a
// 16-bit choice, 8 bits a channel for 32, and 16 depth bits, like the
// window the show would otherwise draw into. present() leaves every other
// piece of GL state as it found it, since the show reads what the previous
// frame left (the clear colour, the matrices, the enables).
//
// Everything here needs the picture's GL context current.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tev::platform {

// Where a picture of one size lands, scaled with its shape kept, on a
// drawable of another: centred, as large as fits. GL's window coordinates
// (y counts from the bottom), though centring makes that the same both ways.
struct Placement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
Placement placePicture(int pictureWidth, int pictureHeight, int drawableWidth, int drawableHeight);

class OffscreenPicture {
  public:
    // Null, with the reason, when the context has no framebuffer objects
    // (OpenGL 3.0 or GL_ARB_framebuffer_object) or the framebuffer cannot
    // be completed.
    static std::unique_ptr<OffscreenPicture> create(int width, int height, int bitsPerPixel,
                                                    std::string* error);
    // Deletes the framebuffer and binds the drawable's own again.
    ~OffscreenPicture();
    OffscreenPicture(const OffscreenPicture&) = delete;
    OffscreenPicture& operator=(const OffscreenPicture&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    // The colour bits a channel the framebuffer really has (red, green, blue).
    void colourBits(int bits[3]) const;
    // Whether the show draws into it with the clip origin at the upper left:
    // window y then counts down from the top, which matters to whoever turns
    // a draw's corners into a scissor box.
    bool clipOriginUpperLeft() const { return topRowFirst_; }

    // Scales the picture onto the drawable (its own framebuffer, of this
    // size) between black bars, then binds the picture again. The caller
    // swaps the drawable's buffers afterwards.
    void present(int drawableWidth, int drawableHeight);

    // The picture as RGB bytes, top row first (or bottom row first, as GL
    // reads, with `topRowFirst` false).
    void readPixels(std::vector<uint8_t>& rgb, bool topRowFirst = true) const;
    // The drawable's back buffer the same way: what present() made of it.
    void readDrawable(int drawableWidth, int drawableHeight, std::vector<uint8_t>& rgb) const;

  private:
    OffscreenPicture() = default;
    void bind() const;

    unsigned framebuffer_ = 0;
    unsigned colour_ = 0;
    unsigned depth_ = 0;
    bool topRowFirst_ = false;  // drawn with the clip origin at the upper left
    int width_ = 0;
    int height_ = 0;
    mutable std::vector<uint8_t> rows_;
};

// Reads WIDTH x HEIGHT pixels from the origin of the framebuffer bound for
// reading as RGB bytes into `rgb`; top row first unless told otherwise
// (`rows` is scratch space for turning the rows over). From an OpenGL ES
// context, which reads RGBA alone, alpha is dropped.
void readRgbPixels(int width, int height, std::vector<uint8_t>& rgb, bool topRowFirst,
                   std::vector<uint8_t>& rows);

}  // namespace tev::platform
