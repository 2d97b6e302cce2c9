#include "frame_report.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "show/blocks.h"

namespace tev::bench {

namespace {

using Json = nlohmann::ordered_json;  // members in the order written

// The show's blocks by their names; before the first, the prologue, and
// after the last (the hook's 0), the frame's flush.
const char* blockName(int block) {
    if (block < 0) return "prologue";
    return block == 0 ? "flush" : tev::blockName(block);
}

// A figure to the decimals it is reported with: timer noise is no figure.
double rounded(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::nearbyint(value * scale) / scale;  // halves to even, as printf
}

Json jsonSummary(const Summary& s) {
    return {{"frames", s.count},
            {"median", rounded(s.median, 3)},
            {"p95", rounded(s.p95, 3)},
            {"worst", rounded(s.worst, 3)},
            {"mean", rounded(s.mean, 3)},
            {"under_16_7_ms", rounded(s.underOnePeriod, 4)},
            {"under_33_3_ms", rounded(s.underTwoPeriods, 4)}};
}

// A value on one line, with a space after every ',' and ':'.
std::string oneLine(const Json& value) {
    if (!value.is_structured() || value.empty()) return value.dump();
    std::string out = value.is_object() ? "{" : "[";
    bool first = true;
    for (const auto& [key, member] : value.items()) {
        if (!first) out += ", ";
        first = false;
        if (value.is_object()) out += Json(key).dump() + ": ";
        out += oneLine(member);
    }
    return out + (value.is_object() ? "}" : "]");
}

std::string layOut(const Json& document) {
    std::string out = "{";
    bool first = true;
    for (const auto& [key, value] : document.items()) {
        out += first ? "\n  " : ",\n  ";
        first = false;
        out += Json(key).dump() + ": ";
        if (!value.is_array() || value.empty()) {
            out += oneLine(value);
            continue;
        }
        out += "[";
        for (size_t i = 0; i < value.size(); ++i)
            out += (i ? ",\n    " : "\n    ") + oneLine(value[i]);
        out += "\n  ]";
    }
    return out + "\n}\n";
}

}  // namespace

void printTable(const Options& options, const Measurements& m) {
    std::printf("tev-bench: %dx%d, %d fps, show time %g to %g s%s\n\n", options.width,
                options.height, options.fps, options.from, options.to,
                options.blocks ? ", a glFinish after every block" : "");
    std::printf("frame times in ms per second of show time\n");
    std::printf("%6s | %-26s | %-26s\n", "second", options.built ? "built median  p95  worst" : "",
                options.literal ? "literal median  p95  worst" : "");
    const auto builtRows = m.builtRows();
    const auto literalRows = m.literalRows();
    auto cells = [](const std::map<int, Summary>& rows, int second) {
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
    auto overall = [](const char* name, const FrameTimes& times) {
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
    for (const auto& [name, ms] : m.setupSteps)
        std::printf("  %-16s %8.2f ms\n", name.c_str(), ms);
}

void printBlocks(const Measurements& m) {
    std::printf("\nper block, ms per frame it ran in (frames)%s\n",
                m.fragmentsCounted ? "; thousands of fragments per frame; ns per fragment" : "");
    const auto& rows = m.blocks;
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

std::string jsonReport(const Options& options, const Measurements& m) {
    Json json = {{"width", options.width}, {"height", options.height}, {"fps", options.fps},
                 {"from", options.from},   {"to", options.to},         {"gl", m.gl},
                 {"bits", options.bits}};
    if (!m.built.empty()) json["median_frame_ms_built"] = rounded(m.built.overall().median, 3);
    if (!m.literal.empty()) {
        json["median_frame_ms_literal"] = rounded(m.literal.overall().median, 3);
    }
    if (m.both) json["median_ratio_built_literal"] = rounded(m.ratio(), 4);
    json["setup_ms"] = rounded(m.setupMs, 3);
    json["setup_with_context_ms"] = rounded(m.createMs, 3);
    json["run_s"] = rounded(m.runMs / 1000.0, 3);
    json["draws_left_out"] = m.skipped;
    json["linear_minified_quads"] = m.linearMinified;
    json["scissored_glyphs"] = m.scissored;
    json["diverged_frames"] = m.diverged;
    if (options.compare) {
        json["compared_frames"] = m.comparedFrames;
        json["differing_frames"] = m.differingFrames;
        json["differing_pixels"] = m.differingPixels;
    }
    if (options.blocks) {
        Json blocks = Json::array();
        for (const BlockRow& row : m.blocks) {
            Json entry = {{"block", blockName(row.block)},
                          {"mode", row.literal ? "literal" : "built"},
                          {"frames", row.frames},
                          {"ms_per_frame", rounded(row.ms, 3)}};
            if (row.fragments >= 0) entry["fragments_per_frame"] = rounded(row.fragments, 1);
            blocks.push_back(std::move(entry));
        }
        json["blocks"] = std::move(blocks);
    }
    Json steps = Json::object();
    for (const auto& [name, ms] : m.setupSteps)
        steps[name] = rounded(ms, 3);
    json["setup_steps_ms"] = std::move(steps);
    if (!m.built.empty()) json["built"] = jsonSummary(m.built.overall());
    if (!m.literal.empty()) json["literal"] = jsonSummary(m.literal.overall());
    Json perSecond = Json::array();
    const auto builtRows = m.builtRows();
    const auto literalRows = m.literalRows();
    for (const int second : m.seconds()) {
        Json row = {{"second", second}};
        if (builtRows.count(second)) row["built"] = jsonSummary(builtRows.at(second));
        if (literalRows.count(second)) row["literal"] = jsonSummary(literalRows.at(second));
        perSecond.push_back(std::move(row));
    }
    json["per_second"] = std::move(perSecond);
    return layOut(json);
}

}  // namespace tev::bench
