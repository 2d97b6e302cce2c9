#pragma once
// A file made under a fresh name and removed again unless it is moved to
// its final name: outputs appear whole or not at all.

#include <string>

namespace tev::capture {

class TemporaryFile {
  public:
    // Makes an empty file in `dir` named prefix + six random characters +
    // suffix. Check ok(); error() says why it failed.
    TemporaryFile(const std::string& dir, const std::string& prefix, const std::string& suffix);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }

    // Renames the file to `finalPath`; afterwards it is no longer removed.
    bool moveTo(const std::string& finalPath, std::string* error);

  private:
    std::string path_;
    std::string error_;
};

}  // namespace tev::capture
