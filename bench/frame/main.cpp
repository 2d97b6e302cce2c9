// tev-bench: frame times of the show played headless, as built and as the
// literal GL stream, and set-up time by step.

#include <GL/gl.h>
#include <GL/glext.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "assets/magnified_draw.h"
#include "bench_options.h"
#include "file_io.h"
#include "frame_stats.h"
#include "platform/data_dir.h"
#include "platform/gl_proc.h"
#include "plot.h"
#include "portable/standard_output.h"
#include "show/offline_show.h"
#include "show/show.h"
#include "tev_version.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

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

const char* blockName(int block) {
    static const char* const names[] = {
        "flush",       "noise veil", "picture show",  "logo wave",     "texture layers",
        "cube rows",   "sheet",      "fog text",      "credit line",   "lit scene A",
        "lit scene B", "words",      "clock readout", "black fade-in", "ring",
        "white flash", "end"};
    return block < 0 ? "prologue" : names[block];
}

// Draws the next frame in one mode and returns its time in milliseconds.
double timedFrame(tev::OfflineShow& show, bool literal, bool blocks) {
    tev::literalGlStream = literal;
    if (blocks) {
        currentBlockTimes = &blockTimes[literal ? 1 : 0];
        currentBlock = -1;
        fragmentCounter.begin();
    }
    const auto start = Clock::now();
    blockStart = start;
    show.drawNextFrame();
    glFinish();
    const double ms = millisecondsSince(start);
    if (blocks) {
        closeBlock(kNoBlock);
        currentBlockTimes = nullptr;
    }
    show.present();  // frame boundaries for GL trace tools; not timed
    return ms;
}

std::string jsonSummary(const tev::bench::Summary& s) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer,
                  "{\"frames\": %zu, \"median\": %.3f, \"p95\": %.3f, \"worst\": %.3f, "
                  "\"mean\": %.3f, \"under_16_7_ms\": %.4f, \"under_33_3_ms\": %.4f}",
                  s.count, s.median, s.p95, s.worst, s.mean, s.underOnePeriod, s.underTwoPeriods);
    return buffer;
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

// What one run measured.
struct Measurements {
    tev::bench::FrameTimes built, literal;
    bool both = false;      // both modes from the same state, frame by frame
    int64_t diverged = 0;   // frames after which the two modes' state differed
    double setupMs = 0.0;   // showSetup alone
    double createMs = 0.0;  // with the GL context
    double runMs = 0.0;
    uint64_t skipped = 0;         // draws the built show left out
    uint64_t linearMinified = 0;  // quads it sent with linear minification
    uint64_t scissored = 0;       // glyphs it drew within the box around their ink
    // --compare: frames read back in both modes, and what differed.
    int64_t comparedFrames = 0;
    int64_t differingFrames = 0;
    int64_t differingPixels = 0;
    double firstDifference = -1.0;  // show time of the first differing frame

    std::map<int, tev::bench::Summary> builtRows() const { return built.perSecond(); }
    std::map<int, tev::bench::Summary> literalRows() const { return literal.perSecond(); }
    // Every second of show time either mode has a row for.
    std::vector<int> seconds() const {
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
    double ratio() const {
        const double literalMedian = literal.overall().median;
        return both && literalMedian > 0 ? built.overall().median / literalMedian : 0.0;
    }
};

// The offline show, timing its set-up step by step.
std::unique_ptr<tev::OfflineShow> createShow(const tev::bench::Options& options, Measurements& m) {
    std::string why;
    tev::setSetupStepHook(noteSetupStep);
    const auto createStart = Clock::now();
    auto show = tev::OfflineShow::create(options.width, options.height, options.fps, &why);
    m.createMs = millisecondsSince(createStart);
    tev::setSetupStepHook(nullptr);
    if (!show) {
        std::fprintf(stderr, "tev-bench: no offscreen OpenGL: %s\n", why.c_str());
        return nullptr;
    }
    for (const auto& step : setupSteps)
        m.setupMs += step.second;
    return show;
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

// Plays the span asked for, timing every frame in the modes asked for.
void playShow(tev::OfflineShow& show, const tev::bench::Options& options, Measurements& m) {
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
            tev::literalGlStream = !options.built;
            show.drawNextFrame();
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
    tev::literalGlStream = false;
    m.skipped = tev::skippedGeometryCount();
    m.linearMinified = tev::linearMinifiedQuadCount();
    m.scissored = tev::scissoredGlyphCount();
}

void printTable(const tev::bench::Options& options, const Measurements& m) {
    std::printf("tev-bench: %dx%d, %d fps, show time %g to %g s%s\n\n", options.width,
                options.height, options.fps, options.from, options.to,
                options.blocks ? ", a glFinish after every block" : "");
    std::printf("frame times in ms per second of show time\n");
    std::printf("%6s | %-26s | %-26s\n", "second", options.built ? "built median  p95  worst" : "",
                options.literal ? "literal median  p95  worst" : "");
    const auto builtRows = m.builtRows();
    const auto literalRows = m.literalRows();
    auto cells = [](const std::map<int, tev::bench::Summary>& rows, int second) {
        char buffer[64] = "";
        const auto it = rows.find(second);
        if (it != rows.end()) {
            std::snprintf(buffer, sizeof buffer, "%12.2f %6.2f %6.2f", it->second.median,
                          it->second.p95, it->second.worst);
        }
        return std::string(buffer);
    };
    for (const int second : m.seconds()) {
        std::printf("%6d | %-26s | %-26s\n", second, cells(builtRows, second).c_str(),
                    cells(literalRows, second).c_str());
    }
    std::printf("\nwhole span    frames  median    p95  worst   mean  <16.7ms  <33.3ms\n");
    auto overall = [](const char* name, const tev::bench::FrameTimes& times) {
        if (times.empty()) return;
        const auto all = times.overall();
        std::printf("%-11s %8zu %7.2f %6.2f %6.2f %6.2f  %6.1f%%  %6.1f%%\n", name, all.count,
                    all.median, all.p95, all.worst, all.mean, 100.0 * all.underOnePeriod,
                    100.0 * all.underTwoPeriods);
    };
    overall("built", m.built);
    overall("literal", m.literal);
    if (m.both) std::printf("median built / literal: %.3f\n", m.ratio());
    std::printf("draws left out by the built show: %llu\n",
                static_cast<unsigned long long>(m.skipped));
    std::printf("quads it sent with linear minification: %llu\n",
                static_cast<unsigned long long>(m.linearMinified));
    std::printf("glyphs it drew within the box around their ink: %llu\n",
                static_cast<unsigned long long>(m.scissored));
    if (options.compare) {
        std::printf("frames compared: %lld, differing: %lld (%lld pixels)",
                    (long long)m.comparedFrames, (long long)m.differingFrames,
                    (long long)m.differingPixels);
        if (m.differingFrames > 0) std::printf(", the first at %.3f s", m.firstDifference);
        std::printf("\n");
    }
    std::printf("run: %.1f s\n", m.runMs / 1000.0);
    if (m.diverged > 0)
        std::printf("WARNING: %lld frames left different state\n", (long long)m.diverged);
}

void printSetup(const Measurements& m) {
    std::printf("\nset-up (showSetup) %.1f ms; with the GL context %.1f ms\n", m.setupMs,
                m.createMs);
    for (const auto& [name, ms] : setupSteps)
        std::printf("  %-16s %8.2f ms\n", name.c_str(), ms);
}

// One block's figures in one mode, per frame it ran in.
struct BlockRow {
    int block;
    bool literal;
    int frames;
    double ms;
    double fragments;  // -1 when not counted
};

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

void printBlocks() {
    const bool fragments = fragmentCounter.enabled();
    std::printf("\nper block, ms per frame it ran in (frames)%s\n",
                fragments ? "; thousands of fragments per frame; ns per fragment" : "");
    const auto rows = blockRows();
    for (size_t i = 0; i < rows.size(); ++i) {
        const BlockRow& row = rows[i];
        if (i == 0 || rows[i - 1].block != row.block) {
            std::printf("%s  %-14s", i ? "\n" : "", blockName(row.block));
        }
        std::printf("  %s %7.2f (%d)", row.literal ? "literal" : "built", row.ms, row.frames);
        if (row.fragments < 0) continue;
        std::printf(" %8.1f k", row.fragments / 1000.0);
        if (row.fragments > 0) std::printf(" %5.2f ns", row.ms * 1e6 / row.fragments);
    }
    if (!rows.empty()) std::printf("\n");
}

// The per-second medians and 95th percentiles as a PNG chart.
bool writeChart(const tev::bench::Options& options, const Measurements& m) {
    tev::bench::Chart chart;
    chart.xFrom = std::floor(options.from);
    chart.xTo = std::ceil(options.to);
    auto addSeries = [&](const std::map<int, tev::bench::Summary>& rows, const char* label,
                         std::array<uint8_t, 3> colour, int thickness, bool p95) {
        tev::bench::Series s{label, colour, thickness, {}, {}};
        for (const auto& [second, summary] : rows) {
            s.x.push_back(second + 0.5);
            s.y.push_back(p95 ? summary.p95 : summary.median);
        }
        if (!s.x.empty()) chart.series.push_back(std::move(s));
    };
    const auto builtRows = m.builtRows();
    const auto literalRows = m.literalRows();
    addSeries(literalRows, "literal p95", {250, 170, 160}, 1, true);
    addSeries(builtRows, "built p95", {150, 190, 240}, 1, true);
    addSeries(literalRows, "literal median", {200, 30, 20}, 3, false);
    addSeries(builtRows, "built median", {20, 70, 200}, 3, false);
    std::string why;
    if (!tev::bench::writeChart(options.plot, chart, &why)) {
        std::fprintf(stderr, "tev-bench: %s\n", why.c_str());
        return false;
    }
    std::printf("\nchart: %s\n", options.plot.c_str());
    return true;
}

std::string jsonReport(const tev::bench::Options& options, const Measurements& m) {
    std::string json = "{\n";
    char buffer[256];
    std::snprintf(buffer, sizeof buffer,
                  "  \"width\": %d,\n  \"height\": %d,\n  \"fps\": %d,\n  \"from\": %g,\n"
                  "  \"to\": %g,\n",
                  options.width, options.height, options.fps, options.from, options.to);
    json += buffer;
    if (!m.built.empty()) {
        std::snprintf(buffer, sizeof buffer, "  \"median_frame_ms_built\": %.3f,\n",
                      m.built.overall().median);
        json += buffer;
    }
    if (!m.literal.empty()) {
        std::snprintf(buffer, sizeof buffer, "  \"median_frame_ms_literal\": %.3f,\n",
                      m.literal.overall().median);
        json += buffer;
    }
    if (m.both) {
        std::snprintf(buffer, sizeof buffer, "  \"median_ratio_built_literal\": %.4f,\n",
                      m.ratio());
        json += buffer;
    }
    std::snprintf(buffer, sizeof buffer,
                  "  \"setup_ms\": %.3f,\n  \"setup_with_context_ms\": %.3f,\n"
                  "  \"run_s\": %.3f,\n  \"draws_left_out\": %llu,\n"
                  "  \"linear_minified_quads\": %llu,\n  \"scissored_glyphs\": %llu,\n"
                  "  \"diverged_frames\": %lld,\n",
                  m.setupMs, m.createMs, m.runMs / 1000.0,
                  static_cast<unsigned long long>(m.skipped),
                  static_cast<unsigned long long>(m.linearMinified),
                  static_cast<unsigned long long>(m.scissored), static_cast<long long>(m.diverged));
    json += buffer;
    if (options.compare) {
        std::snprintf(buffer, sizeof buffer,
                      "  \"compared_frames\": %lld,\n  \"differing_frames\": %lld,\n"
                      "  \"differing_pixels\": %lld,\n",
                      (long long)m.comparedFrames, (long long)m.differingFrames,
                      (long long)m.differingPixels);
        json += buffer;
    }
    if (options.blocks) {
        json += "  \"blocks\": [";
        const auto rows = blockRows();
        for (size_t i = 0; i < rows.size(); ++i) {
            const BlockRow& row = rows[i];
            std::snprintf(buffer, sizeof buffer,
                          "%s\n    {\"block\": %s, \"mode\": \"%s\", \"frames\": %d, "
                          "\"ms_per_frame\": %.3f",
                          i ? "," : "", jsonString(blockName(row.block)).c_str(),
                          row.literal ? "literal" : "built", row.frames, row.ms);
            json += buffer;
            if (row.fragments >= 0) {
                std::snprintf(buffer, sizeof buffer, ", \"fragments_per_frame\": %.1f",
                              row.fragments);
                json += buffer;
            }
            json += "}";
        }
        json += "\n  ],\n";
    }
    json += "  \"setup_steps_ms\": {";
    for (size_t i = 0; i < setupSteps.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%s%s: %.3f", i ? ", " : "",
                      jsonString(setupSteps[i].first).c_str(), setupSteps[i].second);
        json += buffer;
    }
    json += "},\n";
    if (!m.built.empty()) json += "  \"built\": " + jsonSummary(m.built.overall()) + ",\n";
    if (!m.literal.empty()) json += "  \"literal\": " + jsonSummary(m.literal.overall()) + ",\n";
    json += "  \"per_second\": [";
    const auto builtRows = m.builtRows();
    const auto literalRows = m.literalRows();
    bool firstRow = true;
    for (const int second : m.seconds()) {
        json += firstRow ? "\n" : ",\n";
        firstRow = false;
        json += "    {\"second\": " + std::to_string(second);
        if (builtRows.count(second)) json += ", \"built\": " + jsonSummary(builtRows.at(second));
        if (literalRows.count(second)) {
            json += ", \"literal\": " + jsonSummary(literalRows.at(second));
        }
        json += "}";
    }
    json += "\n  ]\n}\n";
    return json;
}

int run(tev::bench::Options options) {
    std::error_code ignored;
    if (!options.json.empty()) options.json = std::filesystem::absolute(options.json, ignored);
    options.plot = std::filesystem::absolute(options.plot, ignored);
    std::string why;
    if (!tev::platform::enterDataDirectory(options.dataDir, &why)) {
        std::fprintf(stderr, "tev-bench: %s\n", why.c_str());
        return 1;
    }

    Measurements m;
    auto show = createShow(options, m);
    if (!show) return 1;
    playShow(*show, options, m);

    printTable(options, m);
    printSetup(m);
    if (options.blocks) printBlocks();
    int status = writeChart(options, m) && m.differingFrames == 0 ? 0 : 1;
    if (!options.json.empty()) {
        const std::string json = jsonReport(options, m);
        std::string why;
        if (!tev::files::writeFileAtomically(
                options.json, std::vector<uint8_t>(json.begin(), json.end()), &why)) {
            std::fprintf(stderr, "tev-bench: %s\n", why.c_str());
            status = 1;
        }
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = tev::bench::parseOptions(args, &error);
    if (!options) {
        std::fprintf(stderr, "tev-bench: %s\n\n%s", error.c_str(), tev::bench::kUsage);
        return 2;
    }
    if (options->help) {
        std::fputs(tev::bench::kUsage, stdout);
        return tev::endOfPrinting("tev-bench");
    }
    if (options->version) {
        std::puts("tev-bench " TEV_VERSION);
        return tev::endOfPrinting("tev-bench");
    }
    return run(*options);
}
