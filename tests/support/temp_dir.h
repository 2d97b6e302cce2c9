#pragma once
// A fresh directory for one test's files, removed afterwards.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tev::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    // Writes `bytes` to `name` and returns its full path.
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const;

  private:
    std::filesystem::path path_;
};

std::vector<uint8_t> readFile(const std::string& path);
std::string readText(const std::string& path);

}  // namespace tev::test
