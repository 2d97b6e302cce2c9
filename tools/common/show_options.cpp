#include "show_options.h"

#include <cmath>
#include <cstdlib>

#include "platform/data_dir.h"

namespace tev::cli {

bool parseNumber(const std::string& text, double* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value)) return false;
    *out = value;
    return true;
}

bool parseInt(const std::string& text, int low, int high, int* out) {
    double value = 0;
    if (!parseNumber(text, &value) || value != std::floor(value) || value < low || value > high) {
        return false;
    }
    *out = static_cast<int>(value);
    return true;
}

std::string parseSize(const std::string& value, int* width, int* height) {
    const size_t x = value.find('x');
    if (x == std::string::npos || !parseInt(value.substr(0, x), 1, 16384, width) ||
        !parseInt(value.substr(x + 1), 1, 16384, height)) {
        return "--size: '" + value + "' is not WIDTHxHEIGHT (1 to 16384 each)";
    }
    return "";
}

std::string parseFps(const std::string& value, int* fps) {
    if (!parseInt(value, 1, 1000, fps)) {
        return "--fps: '" + value + "' is not a whole number from 1 to 1000";
    }
    return "";
}

std::string parseShowTime(const std::string& option, const std::string& value, double* seconds) {
    double parsed = 0;
    if (!parseNumber(value, &parsed) || parsed < 0.0 || parsed > 130.0) {
        return option + ": '" + value + "' is not a show time from 0 to 130";
    }
    *seconds = parsed;
    return "";
}

std::string parseDataFolder(const std::string& value, std::string* dir) {
    if (value.empty()) return "--data needs a folder";
    const std::string problem = platform::dataFolderProblem(value);
    if (!problem.empty()) return "--data: '" + value + "': " + problem;
    *dir = value;
    return "";
}

std::string parseGl(const std::string& value, platform::GlPipeline* pipeline) {
    if (!platform::glPipelineNamed(value.c_str(), pipeline)) {
        return "--gl: '" + value + "' is not native or subset";
    }
    return "";
}

std::string parseBits(const std::string& value, int* bits) {
    if (value != "16" && value != "32") return "--bits: '" + value + "' is not 16 or 32";
    *bits = value == "16" ? 16 : 32;
    return "";
}

}  // namespace tev::cli
