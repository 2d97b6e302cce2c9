#pragma once
// Frame times gathered per second of show time and summed up.

#include <cstddef>
#include <map>
#include <vector>

namespace tev::bench {

struct Summary {
    size_t count = 0;
    double median = 0.0;
    double p95 = 0.0;  // nearest rank
    double worst = 0.0;
    double mean = 0.0;
    // Shares of the frames (0 to 1) that took less than one and less than
    // two periods of a 60 Hz display (1000 / 60 and 1000 / 30 ms).
    double underOnePeriod = 0.0;
    double underTwoPeriods = 0.0;
};

// Zeros for no values.
Summary summarize(std::vector<double> values);

// Milliseconds of one mode's frames, kept by the whole second of show time
// each frame was drawn at.
class FrameTimes {
  public:
    void add(double showSeconds, double milliseconds);
    bool empty() const { return all_.empty(); }
    Summary overall() const { return summarize(all_); }
    std::map<int, Summary> perSecond() const;

  private:
    std::vector<double> all_;
    std::map<int, std::vector<double>> bySecond_;
};

}  // namespace tev::bench
