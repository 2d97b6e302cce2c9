#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tev::files {
namespace {

void setError(std::string* error, const std::string& message) {
    if (error) *error = message;
}

std::string systemError() {
    return std::strerror(errno);
}

}  // namespace

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, size_t maxBytes,
                   std::string* error) {
    bytes.clear();
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        setError(error, "cannot open " + path + ": " + systemError());
        return false;
    }
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(file);
        setError(error, path + " is not a regular file");
        return false;
    }
    if (uint64_t(info.st_size) > maxBytes) {
        std::fclose(file);
        setError(error, path + " is too large (" + std::to_string(info.st_size) + " bytes)");
        return false;
    }
    bytes.resize(size_t(info.st_size));
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    const bool failed = std::ferror(file);
    std::fclose(file);
    if (failed || got != bytes.size()) {
        setError(error, "cannot read " + path);
        bytes.clear();
        return false;
    }
    return true;
}

bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string* error) {
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        setError(error, "cannot create a file beside " + path + ": " + systemError());
        return false;
    }
    auto fail = [&](const std::string& what) {
        setError(error, what + " " + temporary + ": " + systemError());
        close(fd);
        unlink(temporary.c_str());
        return false;
    };
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail("cannot write");
        done += size_t(n);
    }
    // mkstemp makes the file private; give it the permissions a plain new
    // file would have.
    const mode_t mask = umask(0);
    umask(mask);
    if (fchmod(fd, 0666 & ~mask) != 0) return fail("cannot set the permissions of");
    if (fsync(fd) != 0) return fail("cannot flush");
    if (close(fd) != 0) {
        setError(error, "cannot close " + temporary + ": " + systemError());
        unlink(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        setError(error, "cannot replace " + path + ": " + systemError());
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace tev::files
