// tev-bench: frame times of the show played headless, as built and as the
// literal GL stream, and set-up time by step. frame_timing.h measures,
// frame_report.h reports.

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "bench_options.h"
#include "file_io.h"
#include "frame_report.h"
#include "frame_timing.h"
#include "platform/data_dir.h"
#include "portable/standard_output.h"
#include "tev_version.h"

namespace {

int run(tev::bench::Options options) {
    std::error_code ignored;
    if (!options.json.empty()) options.json = std::filesystem::absolute(options.json, ignored);
    std::string why;
    if (!tev::platform::enterDataDirectory(options.dataDir, &why)) {
        std::fprintf(stderr, "tev-bench: %s\n", why.c_str());
        return 1;
    }
    tev::platform::warnOfMissingData("tev-bench");

    const bool several = options.pipelines.size() > 1;
    int status = 0;
    std::vector<std::pair<const char*, tev::bench::Measurements>> runs;
    for (const auto pipeline : options.pipelines) {
        const bool subset = pipeline == tev::platform::GlPipeline::Subset;
        const char* name = subset ? "subset" : "native";
        if (several) {
            std::printf("%s== GL %s: %s\n\n", runs.empty() ? "" : "\n", name,
                        subset ? "the GL 1.1 subset over OpenGL ES 3"
                               : "Mesa's own fixed-function pipeline");
        }
        tev::bench::Measurements m;
        {
            auto show = tev::bench::createShow(options, pipeline, m);
            if (!show) return 1;
            tev::bench::playShow(*show, options, m);
        }
        tev::bench::printTable(options, m);
        tev::bench::printSetup(m);
        if (options.blocks) tev::bench::printBlocks(m);
        if (m.differingFrames != 0) status = 1;
        if (!options.json.empty()) {
            std::filesystem::path file = options.json;
            if (subset && several) {
                file.replace_filename(file.stem().string() + "-subset" + file.extension().string());
            }
            const std::string json = tev::bench::jsonReport(options, m);
            if (!tev::files::writeFileAtomically(
                    file, std::vector<uint8_t>(json.begin(), json.end()), &why)) {
                std::fprintf(stderr, "tev-bench: %s\n", why.c_str());
                status = 1;
            }
        }
        runs.emplace_back(name, std::move(m));
    }
    if (several) {
        std::printf("\n== the pipelines side by side, %dx%d, %d bits (ms a frame)\n", options.width,
                    options.height, options.bits);
        std::printf("GL       mode       median    p95\n");
        for (const auto& [name, m] : runs) {
            for (const bool literal : {false, true}) {
                const auto& times = literal ? m.literal : m.built;
                if (times.empty()) continue;
                const auto all = times.overall();
                std::printf("%-8s %-9s %7.2f %6.2f\n", name, literal ? "literal" : "built",
                            all.median, all.p95);
            }
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
