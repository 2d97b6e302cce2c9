#include "temporary_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tev::capture {

TemporaryFile::TemporaryFile(const std::string& dir, const std::string& prefix,
                             const std::string& suffix) {
    std::string pattern = dir + "/" + prefix + "XXXXXX" + suffix;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemps(name.data(), static_cast<int>(suffix.size()));
    if (fd < 0) {
        error_ = "cannot create a file in " + dir + ": " + std::strerror(errno);
        return;
    }
    // mkstemps makes the file private; give it what a plain new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    path_ = name.data();
}

TemporaryFile::~TemporaryFile() {
    if (!path_.empty()) unlink(path_.c_str());
}

bool TemporaryFile::moveTo(const std::string& finalPath, std::string* error) {
    if (std::rename(path_.c_str(), finalPath.c_str()) != 0) {
        if (error) *error = "cannot write " + finalPath + ": " + std::strerror(errno);
        return false;
    }
    path_.clear();
    return true;
}

}  // namespace tev::capture
