#pragma once
// An OpenGL compatibility context with no window and no X server: EGL on
// Mesa's surfaceless platform, drawing into a pbuffer of the given size with
// 16 depth bits, like the show's window. Used by the GL tests and by the
// tools that render the show offline.
//
// On request an OpenGL ES 3.0 context instead (what the GL 1.1 subset draws
// with, as a browser's WebGL 2 would), and a 5-6-5 colour buffer instead of
// 8 bits a channel. Both kinds may live in one process; makeCurrent() binds
// the right EGL client API each time.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tev::platform {

struct HeadlessGlOptions {
    bool gles3 = false;   // an OpenGL ES 3.0 context rather than compatibility GL
    int colourBits = 32;  // 32: 8-8-8 without alpha; 16: 5-6-5
};

class HeadlessGl {
  public:
    // Null, with the reason in `error`, when no such context can be made
    // (also for a colour depth other than 16 or 32).
    static std::unique_ptr<HeadlessGl> create(int width, int height, std::string* error,
                                              const HeadlessGlOptions& options = {});
    ~HeadlessGl();
    HeadlessGl(const HeadlessGl&) = delete;
    HeadlessGl& operator=(const HeadlessGl&) = delete;

    bool makeCurrent();
    void releaseCurrent();
    int width() const { return width_; }
    int height() const { return height_; }
    bool gles3() const { return gles3_; }

    // eglSwapBuffers on the pbuffer: it changes nothing there, but GL trace
    // tools count frames by it.
    void swapBuffers();

    // The colour buffer as RGB bytes, top row first.
    std::vector<uint8_t> readPixels() const;

    // The same into `rgb`, reusing its memory: the capture tool reads every
    // frame. With `topRowFirst` false the rows come as GL reads them,
    // bottom row first, with no copy to turn them over.
    void readPixels(std::vector<uint8_t>& rgb, bool topRowFirst = true) const;

  private:
    HeadlessGl() = default;
    void* display_ = nullptr;
    void* surface_ = nullptr;
    void* context_ = nullptr;
    uint64_t serial_ = 0;
    mutable std::vector<uint8_t> rows_;  // bottom row first, as GL reads
    int width_ = 0;
    int height_ = 0;
    bool gles3_ = false;
};

}  // namespace tev::platform
