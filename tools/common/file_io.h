#pragma once
// Whole-file reading and writing for the tools.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tev::files {

// A whole file, refusing one larger than maxBytes.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, size_t maxBytes,
                   std::string* error);

// Writes a temporary file beside `path`, then renames it over `path`, so a
// reader sees the old file or the whole new one, never a part.
bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string* error);

}  // namespace tev::files
