#include "portable/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tev {

FILE* openRegularFile(const char* path) {
    if (path == nullptr) return nullptr;
    // Non-blocking, so that opening a FIFO returns at once and can be refused.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    const int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, "rb");
    if (file == nullptr) close(fd);
    return file;
}

long long fileSize(FILE* file) {
    struct stat info {};
    if (file == nullptr || fstat(fileno(file), &info) != 0) return -1;
    return static_cast<long long>(info.st_size);
}

}  // namespace tev
