#include "progress.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace tev::capture {

Progress::Progress(int64_t total)
    : terminal_(isatty(STDERR_FILENO) == 1),
      total_(total > 0 ? total : 1),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_) {}

void Progress::update(int64_t done) {
    if (!terminal_) return;
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && done < total_ && now - lastDraw_ < std::chrono::milliseconds(250)) return;
    lastDraw_ = now;
    draw(done);
}

void Progress::draw(int64_t done) {
    constexpr int kWidth = 30;
    const double seconds = std::chrono::duration<double>(lastDraw_ - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
    const int filled = static_cast<int>(kWidth * done / total_);
    std::string bar(static_cast<size_t>(filled), '#');
    bar.resize(kWidth, '-');
    char left[32] = "--:--";
    if (rate > 0) {
        const auto remaining = static_cast<long>((total_ - done) / rate + 0.5);
        std::snprintf(left, sizeof left, "%ld:%02ld", remaining / 60, remaining % 60);
    }
    std::fprintf(stderr, "\r[%s] %lld/%lld frames  %5.1f fps  %s left ", bar.c_str(),
                 static_cast<long long>(done), static_cast<long long>(total_), rate, left);
    std::fflush(stderr);
    drawn_ = true;
}

void Progress::finish() {
    if (!terminal_ || !drawn_) return;
    std::fputc('\n', stderr);
}

}  // namespace tev::capture
