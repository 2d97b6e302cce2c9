#pragma once
// An OpenGL compatibility context with no window and no X server: EGL on
// Mesa's surfaceless platform, drawing into a pbuffer of the given size with
// 16 depth bits, like the show's window. Used by the GL tests and by the
// tools that render the show offline.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tev::platform {

class HeadlessGl {
  public:
    // Null, with the reason in `error`, when no such context can be made.
    static std::unique_ptr<HeadlessGl> create(int width, int height, std::string* error);
    ~HeadlessGl();
    HeadlessGl(const HeadlessGl&) = delete;
    HeadlessGl& operator=(const HeadlessGl&) = delete;

    bool makeCurrent();
    void releaseCurrent();
    int width() const { return width_; }
    int height() const { return height_; }

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
};

}  // namespace tev::platform
