#include "frame_stats.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tev::bench {

Summary summarize(std::vector<double> values) {
    Summary s;
    if (values.empty()) return s;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    s.count = n;
    s.median = n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
    s.p95 = values[static_cast<size_t>(std::ceil(0.95 * static_cast<double>(n))) - 1];
    s.worst = values.back();
    s.mean = std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(n);
    auto shareUnder = [&](double limit) {
        const auto below = std::lower_bound(values.begin(), values.end(), limit) - values.begin();
        return static_cast<double>(below) / static_cast<double>(n);
    };
    s.underOnePeriod = shareUnder(1000.0 / 60.0);
    s.underTwoPeriods = shareUnder(1000.0 / 30.0);
    return s;
}

void FrameTimes::add(double showSeconds, double milliseconds) {
    all_.push_back(milliseconds);
    bySecond_[static_cast<int>(std::floor(showSeconds))].push_back(milliseconds);
}

std::map<int, Summary> FrameTimes::perSecond() const {
    std::map<int, Summary> rows;
    for (const auto& [second, values] : bySecond_)
        rows[second] = summarize(values);
    return rows;
}

}  // namespace tev::bench
