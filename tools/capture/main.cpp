// tev-capture: renders the show offscreen with a virtual clock and writes
// chosen frames as PNG, the show with its music as a video, or the music
// alone as WAV.

#include <signal.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>

#include "av_span.h"
#include "capture_options.h"
#include "embedded.h"
#include "file_io.h"
#include "frame_writer.h"
#include "platform/data_dir.h"
#include "platform/music_render.h"
#include "platform/native/child_process.h"
#include "png_io.h"
#include "portable/standard_output.h"
#include "progress.h"
#include "show/offline_show.h"
#include "temporary_file.h"
#include "tev_version.h"
#include "wav_file.h"

namespace {

tev::OfflineShow::GlOptions glOptions(const tev::capture::Options& options) {
    tev::OfflineShow::GlOptions gl;
    gl.pipeline = options.gl;
    gl.bitsPerPixel = options.bits;
    return gl;
}

namespace fs = std::filesystem;
using tev::capture::Options;
using tev::capture::Span;

// How much the encoder yields to the renderer, and how many frames may wait
// for it.
constexpr int kEncoderNiceness = 10;
constexpr size_t kQueuedFrames = 4;

volatile std::sig_atomic_t interrupted = 0;
void noteInterrupt(int) {
    interrupted = 1;
}

int fail(const std::string& why) {
    std::fprintf(stderr, "tev-capture: %s\n", why.c_str());
    return 1;
}

int captureFrames(Options options) {
    std::error_code error;
    // The show reads its data from the working directory, which changes to
    // the folder that holds it; the output stays where it was asked for.
    options.outDir = fs::absolute(options.outDir, error).string();
    std::string why;
    if (!tev::platform::enterDataDirectory(options.dataDir, &why)) return fail(why);
    tev::platform::warnOfMissingData("tev-capture");
    fs::create_directories(options.outDir, error);
    if (error) return fail("cannot make " + options.outDir + ": " + error.message());
    // Frame index -> the names wanted of it.
    std::multimap<int64_t, std::string> wanted;
    for (const auto& request : options.frames) {
        const auto frame = static_cast<int64_t>(std::llround(request.seconds * options.fps));
        wanted.emplace(frame, (fs::path(options.outDir) / ("t" + request.label + ".png")).string());
    }

    auto show = tev::OfflineShow::create(options.width, options.height, options.fps, &why,
                                         glOptions(options));
    if (!show) return fail("no offscreen OpenGL: " + why);
    // Only the frames wanted are drawn at their size; the ones between are
    // played where nobody sees them, which leaves the same state.
    for (auto it = wanted.begin(); it != wanted.end();) {
        const int64_t frame = it->first;
        if (options.playEveryFrame) {
            while (show->nextFrame() < frame && !show->ended())
                show->drawNextFrame();
        } else {
            show->skipTo(frame);
        }
        if (show->ended()) break;
        show->drawNextFrame();
        const auto rgb = show->readPixels();
        for (const auto end = wanted.upper_bound(frame); it != end; ++it) {
            if (!tev::png::writeRgb(it->second, options.width, options.height, rgb.data(), &why)) {
                return fail(why);
            }
        }
    }
    return 0;
}

// The music of the span: the module rendered from its start, in step with
// the virtual clock, and the part before the span dropped.
bool renderMusic(const Span& span, std::vector<int16_t>& samples, std::string* why) {
    auto music = tev::platform::MusicRender::create(tev::embedded::music, tev::embedded::musicSize);
    if (!music) {
        *why = "the show's module cannot be read";
        return false;
    }
    music->skip(span.firstSample);
    music->render(span.endSample - span.firstSample, samples);
    return true;
}

int captureAudio(const Options& options, const Span& span) {
    std::vector<int16_t> samples;
    std::string why;
    if (!renderMusic(span, samples, &why)) return fail(why);
    const auto bytes = tev::capture::encodeWav(samples, tev::capture::kAudioRate, 2);
    if (!tev::files::writeFileAtomically(options.audio, bytes, &why)) return fail(why);
    return 0;
}

// ffmpeg's command line: raw RGB frames on standard input, bottom row first
// as GL reads them, and the music from a WAV file. MP4 and QuickTime files
// get H.264 (yuv420p, which every player takes) and AAC; other containers
// get what ffmpeg chooses for them. x264 runs at its lightest on one thread,
// so that encoding costs the renderer little.
std::vector<std::string> ffmpegCommand(const Options& options, const std::string& wav,
                                       const std::string& output) {
    const std::string size = std::to_string(options.width) + "x" + std::to_string(options.height);
    std::vector<std::string> args = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin",
                                     "-y",
                                     // The frames.
                                     "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", size,
                                     "-framerate", std::to_string(options.fps), "-i", "pipe:0",
                                     // The music.
                                     "-i", wav, "-map", "0:v:0", "-map", "1:a:0", "-vf", "vflip"};
    if (tev::capture::choosesH264(output)) {
        const std::vector<std::string> h264 = {
            "-c:v",         "libx264", "-preset",
            options.preset, "-crf",    std::to_string(options.quality),
            "-threads",     "1",       "-pix_fmt",
            "yuv420p",      "-c:a",    "aac",
            "-b:a",         "192k",    "-movflags",
            "+faststart"};
        args.insert(args.end(), h264.begin(), h264.end());
    }
    args.push_back(output);
    return args;
}

int captureVideo(Options options, const Span& span) {
    if (tev::platform::findOnPath("ffmpeg").empty()) {
        return fail(
            "ffmpeg was not found on PATH; --video needs it (Debian: apt-get install ffmpeg)");
    }
    std::error_code error;
    const fs::path target = fs::absolute(options.video, error);
    if (fs::is_directory(target, error)) return fail(target.string() + " is a folder");
    // Encoded under a temporary name beside the target (same folder, same
    // extension, so ffmpeg picks the same format) and renamed when complete.
    tev::capture::TemporaryFile partial(target.parent_path().string(),
                                        "." + target.stem().string() + "-",
                                        target.extension().string());
    if (!partial.ok()) return fail(partial.error());

    std::vector<int16_t> samples;
    std::string why;
    if (!renderMusic(span, samples, &why)) return fail(why);
    tev::capture::TemporaryFile wav(fs::temp_directory_path(error).string(), "tev-capture-",
                                    ".wav");
    if (!wav.ok()) return fail(wav.error());
    if (!tev::files::writeFileAtomically(
            wav.path(), tev::capture::encodeWav(samples, tev::capture::kAudioRate, 2), &why)) {
        return fail(why);
    }
    samples = {};

    if (!tev::platform::enterDataDirectory(options.dataDir, &why)) return fail(why);
    tev::platform::warnOfMissingData("tev-capture");
    auto show = tev::OfflineShow::create(options.width, options.height, options.fps, &why,
                                         glOptions(options));
    if (!show) return fail("no offscreen OpenGL: " + why);
    // The encoder yields to the renderer: llvmpipe's threads wait for the
    // slowest of them, so one of them put aside by the encoder would hold up
    // the whole frame. A few frames queue up while the encoder catches up in
    // the gaps the renderer leaves.
    auto ffmpeg = tev::platform::ChildProcess::start(
        ffmpegCommand(options, wav.path(), partial.path()), &why, kEncoderNiceness);
    if (!ffmpeg) return fail(why);

    tev::capture::Progress progress(span.endFrame);
    bool written = true;
    {
        tev::capture::FrameWriter writer(*ffmpeg, kQueuedFrames);
        if (!options.playEveryFrame) {
            show->skipTo(span.firstFrame, [&] {
                progress.update(show->nextFrame());
                return !interrupted;
            });
        }
        while (show->nextFrame() < span.endFrame && !show->ended() && !interrupted) {
            const int64_t frame = show->nextFrame();
            show->drawNextFrame();
            if (frame >= span.firstFrame) {
                std::vector<uint8_t> rgb = writer.buffer();
                show->readPixels(rgb, false);  // bottom row first: ffmpeg turns them over
                if (!writer.submit(std::move(rgb))) break;
            }
            progress.update(frame + 1);
        }
        if (interrupted) {
            ffmpeg->kill();  // before the writer goes, so that no write waits on it
        } else {
            written = writer.drain();
            if (!written) why = writer.error();
        }
    }
    progress.finish();
    if (interrupted) return fail("interrupted; nothing written");
    const int status = ffmpeg->finish();
    if (status != 0 || !written) {
        return fail("ffmpeg failed (exit status " + std::to_string(status) + ")" +
                    (written ? "" : ": it stopped reading frames (" + why + ")"));
    }
    if (!partial.moveTo(target.string(), &why)) return fail(why);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = tev::capture::parseOptions(args, &error);
    if (!options) {
        std::fprintf(stderr, "tev-capture: %s\n\n%s", error.c_str(), tev::capture::kUsage);
        return 2;
    }
    if (options->help) {
        std::fputs(tev::capture::kUsage, stdout);
        return tev::endOfPrinting("tev-capture");
    }
    if (options->version) {
        std::puts("tev-capture " TEV_VERSION);
        return tev::endOfPrinting("tev-capture");
    }
    if (!options->frames.empty()) return captureFrames(*options);

    const auto span = tev::capture::spanOf(options->from, options->to, options->fps);
    if (!span) {
        std::fprintf(stderr, "tev-capture: no frame lies in that span at %d fps\n", options->fps);
        return 2;
    }
    // A write to an ffmpeg that has gone is an error to report, not a
    // signal; an interrupt stops cleanly and removes what was begun.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGINT, noteInterrupt);
    std::signal(SIGTERM, noteInterrupt);
    return options->video.empty() ? captureAudio(*options, *span) : captureVideo(*options, *span);
}
