#include "frame_timing.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <chrono>
#include <cstdio>

#include "draw/draw_context.h"
#include "platform/gl_proc.h"
#include "show/show.h"

namespace tev::bench {

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The show's hooks are plain functions, so what they gather lives here.

// Set-up steps in order, with the time each took.
std::vector<std::pair<std::string, double>> setupSteps;
Clock::time_point stepStart;
const char* stepName = nullptr;

void noteSetupStep(const char* step) {
    if (stepName != nullptr) setupSteps.emplace_back(stepName, millisecondsSince(stepStart));
    stepName = step;
    stepStart = Clock::now();
}

// Per block: total milliseconds, fragments and frames, for the mode being
// drawn.
struct BlockTimes {
    std::map<int, double> total;
    std::map<int, double> fragments;
    std::map<int, int> frames;
};
BlockTimes blockTimes[2];  // [literal]
BlockTimes* currentBlockTimes = nullptr;
int currentBlock = -1;  // -1: the prologue
Clock::time_point blockStart;

// Counts the samples that pass between two block boundaries (--fragments).
class FragmentCounter {
  public:
    bool start() {
        gen_ = reinterpret_cast<PFNGLGENQUERIESPROC>(tev::platform::glProcAddress("glGenQueries"));
        begin_ =
            reinterpret_cast<PFNGLBEGINQUERYPROC>(tev::platform::glProcAddress("glBeginQuery"));
        end_ = reinterpret_cast<PFNGLENDQUERYPROC>(tev::platform::glProcAddress("glEndQuery"));
        result_ = reinterpret_cast<PFNGLGETQUERYOBJECTUIVPROC>(
            tev::platform::glProcAddress("glGetQueryObjectuiv"));
        if (!gen_ || !begin_ || !end_ || !result_) return false;
        gen_(1, &query_);
        return query_ != 0 && glGetError() == GL_NO_ERROR;
    }
    bool enabled() const { return query_ != 0; }
    // Starts a count, when counting at all.
    void begin() {
        if (!enabled()) return;
        end();  // a count left running by a frame that was not timed
        begin_(GL_SAMPLES_PASSED, query_);
        running_ = true;
    }
    // The samples since begin(); 0 when no count was running.
    double end() {
        if (!running_) return 0.0;
        running_ = false;
        end_(GL_SAMPLES_PASSED);
        GLuint samples = 0;
        result_(query_, GL_QUERY_RESULT, &samples);
        return samples;
    }

  private:
    PFNGLGENQUERIESPROC gen_ = nullptr;
    PFNGLBEGINQUERYPROC begin_ = nullptr;
    PFNGLENDQUERYPROC end_ = nullptr;
    PFNGLGETQUERYOBJECTUIVPROC result_ = nullptr;
    GLuint query_ = 0;
    bool running_ = false;
};
FragmentCounter fragmentCounter;

// Closes the running block's figures and, unless `next` is none, opens
// the next block's (the show's block hook).
constexpr int kNoBlock = -2;
void closeBlock(int next) {
    glFinish();
    const double fragments = fragmentCounter.end();
    if (currentBlockTimes != nullptr) {
        currentBlockTimes->total[currentBlock] += millisecondsSince(blockStart);
        currentBlockTimes->fragments[currentBlock] += fragments;
        currentBlockTimes->frames[currentBlock] += 1;
    }
    if (next == kNoBlock) return;
    currentBlock = next;
    fragmentCounter.begin();
    blockStart = Clock::now();
}

// Draws the next frame in one mode and returns its time in milliseconds.
double timedFrame(tev::OfflineShow& show, bool literal, bool blocks) {
    if (blocks) {
        currentBlockTimes = &blockTimes[literal ? 1 : 0];
        currentBlock = -1;
        fragmentCounter.begin();
    }
    const auto start = Clock::now();
    blockStart = start;
    show.drawNextFrame(literal ? tev::GlStream::Literal : tev::GlStream::Built);
    glFinish();
    const double ms = millisecondsSince(start);
    if (blocks) {
        closeBlock(kNoBlock);
        currentBlockTimes = nullptr;
    }
    show.present();  // frame boundaries for GL trace tools; not timed
    return ms;
}

// Counts the pixels (RGB triples) in which two read-back frames differ.
void comparePixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, double t,
                   Measurements& m) {
    int64_t differing = 0;
    for (size_t i = 0; i + 2 < a.size() && i + 2 < b.size(); i += 3) {
        if (a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2]) ++differing;
    }
    if (a.size() != b.size()) differing += 1;
    ++m.comparedFrames;
    if (differing == 0) return;
    if (m.differingFrames == 0) m.firstDifference = t;
    ++m.differingFrames;
    m.differingPixels += differing;
}

std::vector<BlockRow> blockRows() {
    std::map<int, bool> blocks;
    for (const auto& bt : blockTimes) {
        for (const auto& entry : bt.total)
            blocks[entry.first] = true;
    }
    std::vector<BlockRow> rows;
    for (const auto& [block, unused] : blocks) {
        for (int mode = 0; mode < 2; ++mode) {
            const auto& bt = blockTimes[mode];
            const auto it = bt.total.find(block);
            if (it == bt.total.end()) continue;
            const int frames = bt.frames.at(block);
            const double fragments =
                fragmentCounter.enabled() ? bt.fragments.at(block) / frames : -1.0;
            rows.push_back({block, mode == 1, frames, it->second / frames, fragments});
        }
    }
    return rows;
}

}  // namespace

std::vector<int> Measurements::seconds() const {
    std::map<int, bool> all;
    for (const auto& row : builtRows())
        all[row.first] = true;
    for (const auto& row : literalRows())
        all[row.first] = true;
    std::vector<int> out;
    for (const auto& entry : all)
        out.push_back(entry.first);
    return out;
}

double Measurements::ratio() const {
    const double literalMedian = literal.overall().median;
    return both && literalMedian > 0 ? built.overall().median / literalMedian : 0.0;
}

std::unique_ptr<OfflineShow> createShow(const Options& options, platform::GlPipeline pipeline,
                                        Measurements& m) {
    std::string why;
    tev::setSetupStepHook(noteSetupStep);
    setupSteps.clear();
    OfflineShow::GlOptions gl;
    gl.pipeline = pipeline;
    gl.bitsPerPixel = options.bits;
    m.gl = pipeline == platform::GlPipeline::Subset ? "subset" : "native";
    const auto createStart = Clock::now();
    auto show = tev::OfflineShow::create(options.width, options.height, options.fps, &why, gl);
    m.createMs = millisecondsSince(createStart);
    tev::setSetupStepHook(nullptr);
    if (!show) {
        std::fprintf(stderr, "tev-bench: no offscreen OpenGL: %s\n", why.c_str());
        return nullptr;
    }
    m.setupSteps = setupSteps;
    for (const auto& step : setupSteps)
        m.setupMs += step.second;
    return show;
}

void playShow(OfflineShow& show, const Options& options, Measurements& m) {
    std::vector<uint8_t> firstPixels, secondPixels;
    if (options.blocks) tev::setBlockHook(closeBlock);
    if (options.fragments && !fragmentCounter.start())
        std::fprintf(stderr, "tev-bench: no occlusion queries; fragments not counted\n");
    m.both = options.built && options.literal;
    const auto runStart = Clock::now();
    while (!show.ended()) {
        const double t = show.nextFrameTime();
        if (t >= options.to - 1e-9) break;
        if (t < options.from - 1e-9) {
            show.drawNextFrame(options.built ? tev::GlStream::Built : tev::GlStream::Literal);
            show.present();
            continue;
        }
        if (!m.both) {
            (options.built ? m.built : m.literal)
                .add(t, timedFrame(show, !options.built, options.blocks));
            continue;
        }
        // Both modes from the same state, in alternating order; the state
        // after each must agree, or the two were not drawing the same show.
        const bool literalFirst = show.nextFrame() % 2 == 0;
        const auto mark = show.mark();
        const double first = timedFrame(show, literalFirst, options.blocks);
        if (options.compare) show.readPixels(firstPixels);
        const auto after = tev::ShowStateSnapshot::take();
        show.returnTo(mark);
        const double second = timedFrame(show, !literalFirst, options.blocks);
        if (!(tev::ShowStateSnapshot::take() == after)) ++m.diverged;
        if (options.compare) {
            show.readPixels(secondPixels);
            comparePixels(firstPixels, secondPixels, t, m);
        }
        m.literal.add(t, literalFirst ? first : second);
        m.built.add(t, literalFirst ? second : first);
    }
    m.runMs = millisecondsSince(runStart);
    tev::setBlockHook(nullptr);
    m.skipped = show.drawCounts().skippedGeometry;
    m.linearMinified = show.drawCounts().linearMinifiedQuads;
    m.scissored = show.drawCounts().scissoredGlyphs;
    m.blocks = blockRows();
    m.fragmentsCounted = fragmentCounter.enabled();
}

}  // namespace tev::bench
