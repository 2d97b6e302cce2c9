// tev-bench: frame times of the show played headless, as built and as the
// literal GL stream, and set-up time by step. frame_timing.h measures,
// frame_report.h reports.

#include <cstdio>
#include <filesystem>
#include <string>
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

    tev::bench::Measurements m;
    auto show = tev::bench::createShow(options, m);
    if (!show) return 1;
    tev::bench::playShow(*show, options, m);

    tev::bench::printTable(options, m);
    tev::bench::printSetup(m);
    if (options.blocks) tev::bench::printBlocks(m);
    int status = m.differingFrames == 0 ? 0 : 1;
    if (!options.json.empty()) {
        const std::string json = tev::bench::jsonReport(options, m);
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
