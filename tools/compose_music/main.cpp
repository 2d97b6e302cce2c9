// Composes the show's music and writes it as an Impulse Tracker module:
//   tev-compose-music OUT.it
// The same bytes every run. The file is checked before it is written; any
// problem is reported and the exit status is non-zero, so the build stops.

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "check.h"
#include "file_io.h"
#include "it_format.h"
#include "portable/standard_output.h"
#include "song.h"

constexpr char kUsage[] = "usage: tev-compose-music OUT.it\n";

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return tev::endOfPrinting("tev-compose-music");
    }
    // An option it does not know (--version) is no file name to write.
    if (argc != 2 || argv[1][0] == '-') {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string path = argv[1];
    std::remove(path.c_str());  // never leave an older song behind a failure
    try {
        const compose::Song song = compose::composeSong();
        const std::vector<uint8_t> bytes = compose::writeModule(song.module);
        compose::Timing timing;
        const std::vector<std::string> problems = compose::checkSong(song, bytes, timing);
        if (!problems.empty()) {
            for (const std::string& p : problems)
                std::fprintf(stderr, "tev-compose-music: %s\n", p.c_str());
            return 1;
        }
        std::string error;
        if (!tev::files::writeFileAtomically(path, bytes, &error)) {
            std::fprintf(stderr, "tev-compose-music: %s\n", error.c_str());
            return 1;
        }
        std::printf("tev-compose-music: %zu bytes, %.3f s, %zu patterns, %zu orders\n",
                    bytes.size(), timing.seconds, song.module.patterns.size(),
                    song.module.orders.size());
        for (const compose::Section& s : song.sections) {
            std::printf("  %-8s %7.3f s\n", s.name.c_str(), timing.orderStarts[size_t(s.order)]);
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tev-compose-music: %s\n", e.what());
        return 1;
    }
}
