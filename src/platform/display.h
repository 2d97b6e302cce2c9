#pragma once
// The display of one cycle: a window with a double-buffered OpenGL context
// (windowed, or fullscreen), the display's mode, the cursor, presenting a
// frame and the window's events. The shell builds its window record and its
// creation order on these calls. Also the display with no window that the
// tools and the tests render the show on.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/events.h"

namespace tev::platform {

struct NativeWindow;      // opaque
using GlContext = void*;  // opaque

// Connects to the window system (the program's "window class"). False when
// no display can be reached.
bool initWindowSystem();
void quitWindowSystem();

// Fullscreen windows cover the display at the desktop's own mode, and the
// show's picture, drawn offscreen at the size asked for, is scaled onto it
// with its shape kept; the display's mode never changes. Only on request:
//
// Looks for a display mode of exactly this size and remembers it for the
// next fullscreen window; the mode itself changes when that window is shown,
// and goes back to the desktop's when it is destroyed. The mode guardian
// (startModeGuardian), when started, notes the desktop's configuration
// before the change and puts it back on every way out; when it cannot note
// it (or another show holds a changed mode), the window scales, with a
// warning. False, with a warning, when the display has no such mode: that
// window covers the display at the desktop's mode instead.
bool changeDisplayMode(int width, int height, int bitsPerPixel);
// Forgets the mode changeDisplayMode remembered, so that the next fullscreen
// window scales. Puts nothing back: a changed mode goes back when its window
// is destroyed.
void forgetDisplayMode();

// Before any thread exists, when fullscreen windows may change the display's
// mode: makes sure the desktop's mode is put back however the program ends
// (a crash and a kill too). False, with a warning on standard error, when it
// cannot; modes then change unguarded.
bool startModeGuardian();

void showCursor(bool visible);

// What answers the layers' GL calls (gl11/gl11.h) in the contexts made from
// then on: the system's own fixed-function pipeline, or the subset of our
// own (gl11/subset.h) drawn with shaders over an OpenGL ES 3.0 context, as a
// page draws over WebGL 2. Natively the first is the default and the second
// is there to compare the two on the same machine.
enum class GlPipeline { Native, Subset };
void chooseGlPipeline(GlPipeline pipeline);
GlPipeline chosenGlPipeline();
// The choice by its command-line name ("native", "subset"); false for any
// other.
bool glPipelineNamed(const char* name, GlPipeline* pipeline);

struct WindowRequest {
    const char* title = "";
    int width = 640;
    int height = 480;
    int bitsPerPixel = 32;
    bool fullscreen = false;
};

// A hidden window whose visual has the colour bits asked for, double
// buffering and 16 depth bits. Null on failure.
// A fullscreen window draws offscreen at the size asked for once its
// context is current, unless it changed the display's mode.
NativeWindow* createWindow(const WindowRequest& request);
void destroyWindow(NativeWindow* window);
void showWindow(NativeWindow* window);

// A compatibility-profile context (a core profile rejects glBegin); with
// the subset chosen, an OpenGL ES 3.0 context that the subset draws with
// once it is made current (a failure to start the subset fails that).
GlContext createGlContext(NativeWindow* window);
bool makeCurrent(NativeWindow* window, GlContext context);
void releaseCurrent(NativeWindow* window);
void deleteGlContext(GlContext context);

// Asks for vsync (adaptive first, then plain); a refusal is not an error.
void requestVsync();
// Shows the frame drawn; a picture drawn offscreen is scaled onto the
// window first.
void swapBuffers(NativeWindow* window);
// The size the show draws at: the offscreen picture's, or the window's
// drawable size.
void drawableSize(NativeWindow* window, int* width, int* height);

// Whether the show draws into this window's picture with the clip origin at
// the upper left, as it does into an offscreen picture that needs it:
// window y then counts down from the top, which matters to whoever turns a
// draw's corners into a scissor box.
bool drawsClipOriginUpperLeft(NativeWindow* window);

// Makes the window system's events for this window flow into `queue`; a
// caught termination signal (termination_signals.h) and the window's loss
// arrive as a close request.
void connectEvents(EventQueue& queue, NativeWindow* window);

// The exit status of a show whose window, or whose connection to the window
// system, was taken away by another program.
constexpr int kExitWindowLost = 4;

// Whether any window was taken away during the program's life.
bool windowTakenAway();

// A display with no window and no window system, for the tools and the
// tests that render the show offline: a GL context like the window's (16
// depth bits) drawing a picture of width x height. Given a display size, it
// stands for a fullscreen window on a display of that size: the picture is
// drawn offscreen (8 bits a channel) and present() scales it onto the
// display between black bars.
class OfflineDisplay {
  public:
    struct Options {
        GlPipeline pipeline = GlPipeline::Native;
        int bitsPerPixel = 32;  // 16: colour 5-6-5, as a 16-bit window has
    };
    // With its context current; displayWidth 0 for none. Null, with the
    // reason in `error`, when no such context or picture can be made.
    static std::unique_ptr<OfflineDisplay> create(int width, int height, int displayWidth,
                                                  int displayHeight, std::string* error,
                                                  const Options& options);
    static std::unique_ptr<OfflineDisplay> create(int width, int height, int displayWidth,
                                                  int displayHeight, std::string* error) {
        return create(width, height, displayWidth, displayHeight, error, Options{});
    }
    ~OfflineDisplay();
    OfflineDisplay(const OfflineDisplay&) = delete;
    OfflineDisplay& operator=(const OfflineDisplay&) = delete;

    // Ends a frame: scales the picture onto the display, when there is one,
    // and swaps the buffers (which changes no pixel offscreen, but GL trace
    // tools count frames by it).
    void present();

    // The picture as RGB bytes, top row first (or bottom row first, as GL
    // reads, with `topRowFirst` false).
    void readPicture(std::vector<uint8_t>& rgb, bool topRowFirst) const;
    // What the last present() showed on the display, RGB, top row first;
    // without a display, the picture.
    void readDisplay(std::vector<uint8_t>& rgb) const;

    // Whether the show draws into the picture with the clip origin at the
    // upper left (see drawsClipOriginUpperLeft).
    bool clipOriginUpperLeft() const;

    // The display's size; without a display, the picture's.
    int displayWidth() const;
    int displayHeight() const;

  private:
    struct Parts;
    explicit OfflineDisplay(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> parts_;
};

}  // namespace tev::platform
