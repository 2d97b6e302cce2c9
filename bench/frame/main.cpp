// tev-bench: frame times of the show played headless, as built and as the
// literal GL stream, and set-up time by step.

#include <GL/gl.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench_options.h"
#include "file_io.h"
#include "frame_stats.h"
#include "platform/data_dir.h"
#include "plot.h"
#include "show/offline_show.h"
#include "show/show.h"

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

// Per block: total milliseconds and frames, for the mode being drawn.
struct BlockTimes {
    std::map<int, double> total;
    std::map<int, int> frames;
};
BlockTimes blockTimes[2];  // [literal]
BlockTimes* currentBlockTimes = nullptr;
int currentBlock = -1;  // -1: the prologue
Clock::time_point blockStart;

void noteBlock(int block) {
    glFinish();
    if (currentBlockTimes != nullptr) {
        currentBlockTimes->total[currentBlock] += millisecondsSince(blockStart);
        currentBlockTimes->frames[currentBlock] += 1;
    }
    currentBlock = block;
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
    }
    const auto start = Clock::now();
    blockStart = start;
    show.drawNextFrame();
    glFinish();
    const double ms = millisecondsSince(start);
    show.present();  // frame boundaries for GL trace tools; not timed
    if (blocks) {
        currentBlockTimes->total[currentBlock] += millisecondsSince(blockStart);
        currentBlockTimes->frames[currentBlock] += 1;
        currentBlockTimes = nullptr;
    }
    return ms;
}

std::string jsonSummary(const tev::bench::Summary& s) {
    char buffer[200];
    std::snprintf(buffer, sizeof buffer,
                  "{\"frames\": %zu, \"median\": %.3f, \"p95\": %.3f, \"worst\": %.3f, "
                  "\"mean\": %.3f}",
                  s.count, s.median, s.p95, s.worst, s.mean);
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

int run(tev::bench::Options options) {
    std::error_code ignored;
    if (!options.json.empty()) options.json = std::filesystem::absolute(options.json, ignored);
    options.plot = std::filesystem::absolute(options.plot, ignored);
    tev::platform::enterDataDirectory();

    std::string why;
    tev::setSetupStepHook(noteSetupStep);
    const auto createStart = Clock::now();
    auto show = tev::OfflineShow::create(options.width, options.height, options.fps, &why);
    const double createMs = millisecondsSince(createStart);
    tev::setSetupStepHook(nullptr);
    if (!show) {
        std::fprintf(stderr, "tev-bench: no offscreen OpenGL: %s\n", why.c_str());
        return 1;
    }
    double setupMs = 0.0;
    for (const auto& step : setupSteps)
        setupMs += step.second;
    if (options.blocks) tev::setBlockHook(noteBlock);

    tev::bench::FrameTimes built, literal;
    const bool both = options.built && options.literal;
    const auto runStart = Clock::now();
    int64_t diverged = 0;
    while (!show->ended()) {
        const double t = show->nextFrameTime();
        if (t >= options.to - 1e-9) break;
        if (t < options.from - 1e-9) {
            tev::literalGlStream = !options.built;
            show->drawNextFrame();
            show->present();
            continue;
        }
        if (!both) {
            (options.built ? built : literal)
                .add(t, timedFrame(*show, !options.built, options.blocks));
            continue;
        }
        // Both modes from the same state, in alternating order; the state
        // after each must agree, or the two were not drawing the same show.
        const bool literalFirst = show->nextFrame() % 2 == 0;
        const auto mark = show->mark();
        const double first = timedFrame(*show, literalFirst, options.blocks);
        const auto after = tev::ShowStateSnapshot::take();
        show->returnTo(mark);
        const double second = timedFrame(*show, !literalFirst, options.blocks);
        if (!(tev::ShowStateSnapshot::take() == after)) ++diverged;
        literal.add(t, literalFirst ? first : second);
        built.add(t, literalFirst ? second : first);
    }
    const double runMs = millisecondsSince(runStart);
    tev::setBlockHook(nullptr);
    tev::literalGlStream = false;
    const uint64_t skipped = tev::skippedGeometryCount();

    // The table.
    std::printf("tev-bench: %dx%d, %d fps, show time %g to %g s%s\n\n", options.width,
                options.height, options.fps, options.from, options.to,
                options.blocks ? ", a glFinish after every block" : "");
    std::printf("frame times in ms per second of show time\n");
    std::printf("%6s | %-26s | %-26s\n", "second", options.built ? "built median  p95  worst" : "",
                options.literal ? "literal median  p95  worst" : "");
    const auto builtRows = built.perSecond();
    const auto literalRows = literal.perSecond();
    std::map<int, bool> seconds;
    for (const auto& row : builtRows)
        seconds[row.first] = true;
    for (const auto& row : literalRows)
        seconds[row.first] = true;
    auto cells = [](const std::map<int, tev::bench::Summary>& rows, int second) {
        char buffer[64] = "";
        const auto it = rows.find(second);
        if (it != rows.end()) {
            std::snprintf(buffer, sizeof buffer, "%12.2f %6.2f %6.2f", it->second.median,
                          it->second.p95, it->second.worst);
        }
        return std::string(buffer);
    };
    for (const auto& [second, unused] : seconds) {
        std::printf("%6d | %-26s | %-26s\n", second, cells(builtRows, second).c_str(),
                    cells(literalRows, second).c_str());
    }
    const auto builtAll = built.overall();
    const auto literalAll = literal.overall();
    std::printf("\nwhole span    frames  median    p95  worst   mean\n");
    if (!built.empty()) {
        std::printf("built       %8zu %7.2f %6.2f %6.2f %6.2f\n", builtAll.count, builtAll.median,
                    builtAll.p95, builtAll.worst, builtAll.mean);
    }
    if (!literal.empty()) {
        std::printf("literal     %8zu %7.2f %6.2f %6.2f %6.2f\n", literalAll.count,
                    literalAll.median, literalAll.p95, literalAll.worst, literalAll.mean);
    }
    const double ratio = both && literalAll.median > 0 ? builtAll.median / literalAll.median : 0.0;
    if (both) std::printf("median built / literal: %.3f\n", ratio);
    std::printf("draws left out by the built show: %llu\n",
                static_cast<unsigned long long>(skipped));
    std::printf("run: %.1f s\n", runMs / 1000.0);
    if (diverged > 0)
        std::printf("WARNING: %lld frames left different state\n", (long long)diverged);

    std::printf("\nset-up (showSetup) %.1f ms; with the GL context %.1f ms\n", setupMs, createMs);
    for (const auto& [name, ms] : setupSteps)
        std::printf("  %-16s %8.2f ms\n", name.c_str(), ms);

    if (options.blocks) {
        std::printf("\nper block, ms per frame it ran in (frames)\n");
        std::map<int, bool> blocks;
        for (const auto& bt : blockTimes) {
            for (const auto& entry : bt.total)
                blocks[entry.first] = true;
        }
        for (const auto& [block, unused] : blocks) {
            std::printf("  %-14s", blockName(block));
            for (int mode = 0; mode < 2; ++mode) {
                const auto& bt = blockTimes[mode];
                const auto it = bt.total.find(block);
                if (it == bt.total.end()) continue;
                const int frames = bt.frames.at(block);
                std::printf("  %s %7.2f (%d)", mode ? "literal" : "built", it->second / frames,
                            frames);
            }
            std::printf("\n");
        }
    }

    // The chart.
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
    addSeries(literalRows, "literal p95", {250, 170, 160}, 1, true);
    addSeries(builtRows, "built p95", {150, 190, 240}, 1, true);
    addSeries(literalRows, "literal median", {200, 30, 20}, 3, false);
    addSeries(builtRows, "built median", {20, 70, 200}, 3, false);
    int status = 0;
    if (!tev::bench::writeChart(options.plot, chart, &why)) {
        std::fprintf(stderr, "tev-bench: %s\n", why.c_str());
        status = 1;
    } else {
        std::printf("\nchart: %s\n", options.plot.c_str());
    }

    if (!options.json.empty()) {
        std::string json = "{\n";
        char buffer[256];
        std::snprintf(buffer, sizeof buffer,
                      "  \"width\": %d,\n  \"height\": %d,\n  \"fps\": %d,\n  \"from\": %g,\n"
                      "  \"to\": %g,\n",
                      options.width, options.height, options.fps, options.from, options.to);
        json += buffer;
        if (!built.empty()) {
            std::snprintf(buffer, sizeof buffer, "  \"median_frame_ms_built\": %.3f,\n",
                          builtAll.median);
            json += buffer;
        }
        if (!literal.empty()) {
            std::snprintf(buffer, sizeof buffer, "  \"median_frame_ms_literal\": %.3f,\n",
                          literalAll.median);
            json += buffer;
        }
        if (both) {
            std::snprintf(buffer, sizeof buffer, "  \"median_ratio_built_literal\": %.4f,\n",
                          ratio);
            json += buffer;
        }
        std::snprintf(
            buffer, sizeof buffer,
            "  \"setup_ms\": %.3f,\n  \"setup_with_context_ms\": %.3f,\n"
            "  \"run_s\": %.3f,\n  \"draws_left_out\": %llu,\n  \"diverged_frames\": %lld,\n",
            setupMs, createMs, runMs / 1000.0, static_cast<unsigned long long>(skipped),
            static_cast<long long>(diverged));
        json += buffer;
        json += "  \"setup_steps_ms\": {";
        for (size_t i = 0; i < setupSteps.size(); ++i) {
            std::snprintf(buffer, sizeof buffer, "%s%s: %.3f", i ? ", " : "",
                          jsonString(setupSteps[i].first).c_str(), setupSteps[i].second);
            json += buffer;
        }
        json += "},\n";
        if (!built.empty()) json += "  \"built\": " + jsonSummary(builtAll) + ",\n";
        if (!literal.empty()) json += "  \"literal\": " + jsonSummary(literalAll) + ",\n";
        json += "  \"per_second\": [";
        bool firstRow = true;
        for (const auto& [second, unused] : seconds) {
            json += firstRow ? "\n" : ",\n";
            firstRow = false;
            json += "    {\"second\": " + std::to_string(second);
            if (builtRows.count(second))
                json += ", \"built\": " + jsonSummary(builtRows.at(second));
            if (literalRows.count(second)) {
                json += ", \"literal\": " + jsonSummary(literalRows.at(second));
            }
            json += "}";
        }
        json += "\n  ]\n}\n";
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
        return 0;
    }
    return run(*options);
}
