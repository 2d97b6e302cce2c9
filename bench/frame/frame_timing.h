#pragma once
// The timing half of tev-bench: plays the show offscreen, times its frames in
// the modes asked for, its blocks and the steps of its set-up, and keeps what
// it measured for the report (frame_report.h). Prints nothing but errors.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench_options.h"
#include "frame_stats.h"
#include "show/offline_show.h"

namespace tev::bench {

// One block's figures in one mode, per frame it ran in.
struct BlockRow {
    int block;  // -1: the prologue
    bool literal;
    int frames;
    double ms;
    double fragments;  // -1 when not counted
};

// What one run measured.
struct Measurements {
    std::string gl = "native";  // what answered the GL calls: native or subset
    FrameTimes built, literal;
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
    // Set-up steps in order, with the time each took.
    std::vector<std::pair<std::string, double>> setupSteps;
    // --blocks: by block in show order, built before literal.
    std::vector<BlockRow> blocks;
    bool fragmentsCounted = false;

    std::map<int, Summary> builtRows() const { return built.perSecond(); }
    std::map<int, Summary> literalRows() const { return literal.perSecond(); }
    // Every second of show time either mode has a row for.
    std::vector<int> seconds() const;
    double ratio() const;
};

// The offline show drawn through `pipeline`, timing its set-up step by step;
// null, with the reason on standard error, without offscreen OpenGL.
std::unique_ptr<OfflineShow> createShow(const Options& options, platform::GlPipeline pipeline,
                                        Measurements& m);

// Plays the span asked for, timing every frame in the modes asked for.
void playShow(OfflineShow& show, const Options& options, Measurements& m);

}  // namespace tev::bench
