#pragma once
// A one-line progress bar on standard error when that is a terminal;
// silent otherwise.

#include <chrono>
#include <cstdint>

namespace tev::capture {

class Progress {
  public:
    explicit Progress(int64_t total);
    // `done` of the total; redraws at most a few times a second.
    void update(int64_t done);
    // Ends the line (on a terminal).
    void finish();

  private:
    void draw(int64_t done);
    bool terminal_;
    int64_t total_;
    std::chrono::steady_clock::time_point start_, lastDraw_;
    bool drawn_ = false;
};

}  // namespace tev::capture
