#pragma once
// The reporting half of tev-bench: what frame_timing.h measured, as text on
// standard output and as JSON. tev-bench-chart draws the JSON's per-second
// times.

#include <string>

#include "bench_options.h"
#include "frame_timing.h"

namespace tev::bench {

// The per-second and whole-span frame times, the counters and the
// comparison.
void printTable(const Options& options, const Measurements& m);
// The set-up time, step by step.
void printSetup(const Measurements& m);
// --blocks: each block's time (and fragments) per frame it ran in.
void printBlocks(const Measurements& m);

// The figures as a JSON document: one top-level member a line, and one line
// for each row of a list, so that line tools read it as well as JSON parsers.
std::string jsonReport(const Options& options, const Measurements& m);

}  // namespace tev::bench
