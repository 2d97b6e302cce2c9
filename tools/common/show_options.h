#pragma once
// Command-line values shared by the tools that play the show offscreen.

#include <string>

#include "platform/display.h"

namespace tev::cli {

// A whole string as a finite number; as a whole number within [low, high].
bool parseNumber(const std::string& text, double* out);
bool parseInt(const std::string& text, int low, int high, int* out);

// Each returns "" when the value is good, else the message for the user.
std::string parseSize(const std::string& value, int* width, int* height);  // --size WxH
std::string parseFps(const std::string& value, int* fps);                  // --fps N
std::string parseShowTime(const std::string& option, const std::string& value,
                          double* seconds);  // --from S, --to S: 0 to 130
std::string parseDataFolder(const std::string& value, std::string* dir);  // --data DIR: a folder
std::string parseGl(const std::string& value,
                    platform::GlPipeline* pipeline);         // --gl native|subset
std::string parseBits(const std::string& value, int* bits);  // --bits 16|32

}  // namespace tev::cli
