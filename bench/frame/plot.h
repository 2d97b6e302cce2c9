#pragma once
// A line chart written as PNG: per-second frame times against show time,
// with grid lines, numbered axes and a legend, drawn pixel by pixel.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tev::bench {

struct Series {
    std::string label;
    std::array<uint8_t, 3> colour{};
    int thickness = 1;
    std::vector<double> x, y;  // data coordinates, drawn joined in order
};

struct Chart {
    int width = 1000;
    int height = 500;
    std::string xLabel = "show time s";
    std::string yLabel = "frame time ms";
    double xFrom = 0.0, xTo = 1.0;  // the y axis starts at 0 and fits the data
    std::vector<Series> series;
};

// The chart as RGB pixels, width * height * 3 bytes, top row first.
std::vector<uint8_t> renderChart(const Chart& chart);

bool writeChart(const std::string& path, const Chart& chart, std::string* error);

}  // namespace tev::bench
