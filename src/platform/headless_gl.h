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

    // The colour buffer as RGB bytes, top row first.
    std::vector<uint8_t> readPixels() const;

private:
    HeadlessGl() = default;
    void* display_ = nullptr;
    void* surface_ = nullptr;
    void* context_ = nullptr;
    uint64_t serial_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace tev::platform
