// Records raw sound from standard input with the time it arrived:
// parec ... | tev-test-stamp-audio AUDIO.raw STAMPS
// AUDIO.raw gets the bytes as they come. STAMPS gets one line per read: the
// monotonic clock in nanoseconds as the read returned, and the bytes read
// so far. A byte arrived no later than its read's stamp, so the earliest
// stamps bound the time the sound left the server. The clock is the one the
// show's tick count runs on (std::chrono::steady_clock on Linux).

#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tev-test-stamp-audio AUDIO.raw STAMPS\n");
        return 2;
    }
    std::FILE* audio = std::fopen(argv[1], "wb");
    std::FILE* stamps = std::fopen(argv[2], "w");
    if (audio == nullptr || stamps == nullptr) {
        std::fprintf(stderr, "cannot write %s or %s\n", argv[1], argv[2]);
        return 1;
    }
    std::vector<char> buffer(1 << 16);
    uint64_t total = 0;
    while (true) {
        const ssize_t got = read(0, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        total += static_cast<uint64_t>(got);
        std::fwrite(buffer.data(), 1, static_cast<size_t>(got), audio);
        std::fprintf(stamps, "%lld %llu\n",
                     static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                     static_cast<unsigned long long>(total));
    }
    const bool ok = std::fclose(audio) == 0 && std::fclose(stamps) == 0;
    return ok ? 0 : 1;
}
