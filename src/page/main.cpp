// The page's program, what the desktop's entry point (shell/main.cpp) is
// natively: the page's script (page.js) calls these. The setup form is the
// dialog decided by its own procedure; the show runs through the shell, one
// step an animation frame, its clock on the music as the audio context
// plays it. The pack is read by the show's own reader from the page's
// in-memory file system, with the load log on the browser's console; the
// audio capture renders the music as tev-capture --audio does; the frame
// capture plays the show as tev-capture --at does, on the page's canvas
// with the GL subset over WebGL 2.

#include <GLES3/gl3.h>
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "assets/pack_file.h"
#include "assets/picture_budget.h"
#include "av_span.h"
#include "embedded.h"
#include "platform/music_render.h"
#include "platform/sound.h"
#include "shell/app.h"
#include "shell/command_line.h"
#include "shell/setup_dialog.h"
#include "show/offline_show.h"
#include "show/show.h"

namespace {

std::vector<int16_t>& capturedAudio() {
    static std::vector<int16_t> samples;
    return samples;
}

// The frame capture: the show played with the virtual clock.
struct FrameCapture {
    std::unique_ptr<tev::OfflineShow> show;
    std::vector<uint8_t> rgb;
    std::string error;
};

FrameCapture& frameCapture() {
    static FrameCapture capture;
    return capture;
}

// The page's setup form: the dialog's state and the choice its procedure
// decides, as the desktop's dialog keeps them.
struct SetupForm {
    tev::platform::DialogState state;
    tev::DisplayChoice choice;
    std::string json;
};

SetupForm& setupForm() {
    static SetupForm form;
    return form;
}

void appendJsonString(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (static_cast<unsigned char>(c) >= 0x20) {
            out += c;
        }
    }
    out += '"';
}

// The check states of every control of the template, as JSON.
std::string checksJson() {
    const SetupForm& form = setupForm();
    std::string out = "{";
    bool first = true;
    for (const auto& control : tev::setupDialogTemplate().controls) {
        if (control.id < 0) continue;
        if (!first) out += ',';
        first = false;
        out += '"' + std::to_string(control.id) +
               "\":" + std::to_string(form.state.checkState(control.id));
    }
    return out + "}";
}

bool programRunning = false;

}  // namespace

extern "C" {

// The setup dialog's template as JSON, for the page's form: its size in
// dialog units, its font's size in pixels at 96 dots an inch (a CSS pixel),
// its name and each control's id, kind, text, place, group start and
// alignment.
EMSCRIPTEN_KEEPALIVE const char* tevDialogTemplate() {
    using tev::platform::ControlKind;
    using tev::platform::TextAlign;
    const auto& layout = tev::setupDialogTemplate();
    std::string& out = setupForm().json;
    out =
        "{\"width\":" + std::to_string(layout.width) +
        ",\"height\":" + std::to_string(layout.height) + ",\"fontPixels\":" +
        std::to_string(tev::platform::fontPixels(layout.pointSize, tev::platform::dialogDpi({}))) +
        ",\"name\":";
    appendJsonString(out, layout.windowName);
    out += ",\"controls\":[";
    static const char* const kinds[] = {"default-button", "button", "check-box",
                                        "radio-button",   "text",   "group-box"};
    static const char* const aligns[] = {"left", "center", "right"};
    bool first = true;
    for (const auto& c : layout.controls) {
        if (!first) out += ',';
        first = false;
        out += "{\"id\":" + std::to_string(c.id) + ",\"kind\":\"" +
               kinds[static_cast<int>(c.kind)] + "\",\"text\":";
        appendJsonString(out, c.text);
        out += ",\"x\":" + std::to_string(c.x) + ",\"y\":" + std::to_string(c.y) +
               ",\"width\":" + std::to_string(c.width) + ",\"height\":" + std::to_string(c.height) +
               ",\"groupStart\":" + (c.groupStart ? "true" : "false") + ",\"align\":\"" +
               aligns[static_cast<int>(c.align)] +
               "\",\"textOnLeft\":" + (c.textOnLeft ? "true" : "false") +
               ",\"edge\":" + (c.staticEdge ? "true" : "false") + "}";
    }
    out += "]}";
    return out.c_str();
}

// Pixels for dialog units, as the desktop's dialog reckons them, given the
// page font's base units (its average character width and its height).
EMSCRIPTEN_KEEPALIVE int tevDialogPixels(int units, int base, int vertical) {
    return vertical ? tev::platform::dialogUnitsToPixelsY(units, base)
                    : tev::platform::dialogUnitsToPixelsX(units, base);
}

// Opens the form: the dialog's procedure sets its defaults. The check
// states as JSON ({"id": state}).
EMSCRIPTEN_KEEPALIVE const char* tevDialogInit() {
    SetupForm& form = setupForm();
    form.state = {};
    form.choice = {};
    tev::setupDialogProc(form.state, tev::platform::DialogEvent::Init, 0, form.choice);
    form.json = checksJson();
    return form.json.c_str();
}

// The viewer set a control's check state (a radio button checks alone in
// its group, as the desktop's radio buttons do).
EMSCRIPTEN_KEEPALIVE void tevDialogSetCheck(int id, int state) {
    setupForm().state.setCheckState(id, state);
}

// A command of the form (a button's id, or kCommandOk / kCommandCancel for
// Enter and Escape), decided by the dialog's procedure. JSON: the check
// states after it, whether the dialog ended, with which result, whether
// the program is to quit, and the choice.
EMSCRIPTEN_KEEPALIVE const char* tevDialogCommand(int id) {
    SetupForm& form = setupForm();
    const tev::DialogAction action =
        tev::setupDialogProc(form.state, tev::platform::DialogEvent::Command, id, form.choice);
    std::string checks = checksJson();
    const tev::DisplayChoice& c = form.choice;
    form.json = "{\"checks\":" + checks + ",\"ended\":" + (form.state.ended() ? "true" : "false") +
                ",\"result\":" + std::to_string(form.state.result()) +
                ",\"quit\":" + (action == tev::DialogAction::ExitProcess ? "true" : "false") +
                ",\"width\":" + std::to_string(c.width) +
                ",\"height\":" + std::to_string(c.height) +
                ",\"bits\":" + std::to_string(c.bitsPerPixel) +
                ",\"fullscreen\":" + std::to_string(c.fullscreen) + "}";
    return form.json.c_str();
}

// Starts the show with the form's choice, through the shell as the desktop
// program runs it after its dialog; called from the form's start button,
// the click browsers ask for before sound. A page without sound plays the
// show silent (the desktop program would end instead: the page says so).
// 1 when the program runs; tevShowStep then drives it.
EMSCRIPTEN_KEEPALIVE int tevShowStart(int width, int height, int bits, int fullscreen,
                                      int withSound) {
    using namespace tev::platform;
    if (programRunning) return 0;
    tev::CommandLine line;
    line.width = width;
    line.height = height;
    line.bitsPerPixel = bits;
    line.fullscreen = fullscreen != 0;
    line.noSound = withSound == 0;
    if (!line.noSound && soundOpen({}) != SoundOpen::Opened) {
        std::fprintf(stderr, "tev: %s: the show plays silent\n", soundOpenFailure().c_str());
        line.noSound = true;
    }
    tev::loadLog().setPath("/dev/stdout");
    chooseGlPipeline(GlPipeline::Subset);
    int status = 0;
    programRunning = tev::startProgram(line, &status);
    return programRunning ? 1 : 0;
}

// One animation frame of the program: its steps until it has drawn a frame
// (events first, as the desktop's loop takes them), or a display cycle has
// been set up. 1 while it runs; 0 once it has ended (Escape, the show's
// end), -1 when it could not run (no window: no WebGL 2, say); the page
// then shows its form again.
EMSCRIPTEN_KEEPALIVE int tevShowStep() {
    if (!programRunning) return 0;
    // The audio context starts in the browser's own time, after set-up has
    // reckoned when the music will be heard: the show clock follows what
    // it plays.
    tev::followHeardMusic();
    int status = 0;
    for (int step = 0; step < 1000; ++step) {
        switch (tev::programStep(&status)) {
            case tev::ProgramStep::Over:
                programRunning = false;
                tev::platform::soundClose();
                if (status == 0) return 0;
                std::fprintf(stderr, "tev: the show ended with status %d\n", status);
                return -1;
            case tev::ProgramStep::Frame:
                return 1;
            case tev::ProgramStep::Going:
                break;
        }
    }
    return 1;
}

// The show time of the last frame drawn, in seconds.
EMSCRIPTEN_KEEPALIVE double tevShowClock() {
    return tev::kept.showClock;
}

// Reads the pictures the show takes from DATA.PAK in the working directory,
// as its set-up does, each step on the console. The number read in full;
// -1 when there is no readable pack.
EMSCRIPTEN_KEEPALIVE int tevReadPack() {
    tev::loadLog().setPath("/dev/stdout");
    tev::pictureBudget().restart();
    int read = 0;
    for (int i = 0; i <= 16; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, i < 16 ? "PIC%d" : "DESTRUCT", i);
        tev::Texture picture;
        const uint8_t status = tev::readEntry("DATA.PAK", name, picture);
        if (status == tev::kPackCannotOpen || status == tev::kPackBadVersion) return -1;
        if (status == tev::kPackOk) ++read;
    }
    return read;
}

// Renders the music of the show's span [from, to) as tev-capture --audio
// does: the module from its start, in step with the 30 fps virtual clock,
// the part before the span dropped. 16-bit stereo at 44100 Hz, little-endian
// in wasm's memory; tevAudioSamples and tevAudioBytes find them. 0 when the
// span holds no frame or the module cannot be read.
EMSCRIPTEN_KEEPALIVE int tevRenderAudio(double from, double to) {
    constexpr int kCaptureFps = 30;  // tev-capture's rate for --audio
    std::vector<int16_t>& samples = capturedAudio();
    samples.clear();
    samples.shrink_to_fit();
    const auto span = tev::capture::spanOf(from, to, kCaptureFps);
    if (!span) return 0;
    auto music = tev::platform::MusicRender::create(tev::embedded::music, tev::embedded::musicSize);
    if (!music) return 0;
    samples.reserve((span->endSample - span->firstSample) * 2);
    music->skip(span->firstSample);
    music->render(span->endSample - span->firstSample, samples);
    return 1;
}

EMSCRIPTEN_KEEPALIVE const int16_t* tevAudioSamples() {
    return capturedAudio().data();
}
EMSCRIPTEN_KEEPALIVE uint32_t tevAudioBytes() {
    return static_cast<uint32_t>(capturedAudio().size() * sizeof(int16_t));
}

// Starts the frame capture: the show set up on a width x height picture of
// the page's canvas at `bits` (16 or 32) colour bits, at `fps` frames a
// second (60 as tev-capture --at) and without music. 1 when it runs; 0 with the reason in
// tevFramesError.
EMSCRIPTEN_KEEPALIVE int tevFramesStart(int width, int height, int fps, int bits) {
    FrameCapture& capture = frameCapture();
    capture.show.reset();
    capture.error.clear();
    tev::loadLog().setPath("/dev/stdout");
    tev::platform::OfflineDisplay::Options gl;
    gl.pipeline = tev::platform::GlPipeline::Subset;
    gl.bitsPerPixel = bits;
    capture.show = tev::OfflineShow::create(width, height, fps, &capture.error, gl);
    return capture.show ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE const char* tevFramesError() {
    return frameCapture().error.c_str();
}

// The frame drawn at show time `seconds` (rounded to the nearest frame, as
// tev-capture does). Plays at most `most` frames unseen towards it, so that
// the page's script can hand the browser its turn between calls: 1 when the
// next frame is that one, 0 when more are to play, -1 when the show has
// ended before it or the frame has passed.
EMSCRIPTEN_KEEPALIVE int tevFramesSkip(double seconds, int most) {
    tev::OfflineShow* show = frameCapture().show.get();
    if (!show) return -1;
    const auto frame = static_cast<int64_t>(std::llround(seconds * show->fps()));
    if (show->nextFrame() > frame) return -1;
    show->skipTo(std::min(frame, show->nextFrame() + most));
    if (show->ended()) return -1;
    return show->nextFrame() == frame ? 1 : 0;
}

// Draws the next frame and reads it: RGB, top row first, width x height;
// null when the show has ended.
EMSCRIPTEN_KEEPALIVE const uint8_t* tevFramesDraw() {
    FrameCapture& capture = frameCapture();
    if (!capture.show || capture.show->ended()) return nullptr;
    capture.show->drawNextFrame();
    capture.show->readPixels(capture.rgb);
    capture.show->present();
    return capture.rgb.data();
}

// The page's frame times: draws the next frame and waits for WebGL to finish
// it, as tev-bench does with glFinish. Milliseconds; -1 once the show has
// ended.
EMSCRIPTEN_KEEPALIVE double tevFramesTime() {
    FrameCapture& capture = frameCapture();
    if (!capture.show || capture.show->ended()) return -1;
    const double start = emscripten_get_now();
    capture.show->drawNextFrame();
    // A browser's glFinish need not wait; reading a pixel back does.
    uint8_t pixel[4];
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return emscripten_get_now() - start;
}

EMSCRIPTEN_KEEPALIVE void tevFramesStop() {
    frameCapture().show.reset();
    frameCapture().rgb = {};
}

}  // extern "C"

int main() {
    return 0;
}
