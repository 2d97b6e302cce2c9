#include "platform/data_dir.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace tev::platform {

namespace fs = std::filesystem;

#ifndef TEV_INSTALL_DATADIR
#define TEV_INSTALL_DATADIR "share/tev-intro"
#endif

std::string executableDirectory() {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

std::string enterDataDirectory(const char* marker) {
    std::error_code error;
    if (fs::exists(marker, error)) return fs::current_path(error).string();
    const fs::path exeDir = executableDirectory();
    if (exeDir.empty()) return fs::current_path(error).string();
    const fs::path candidates[] = {exeDir, exeDir.parent_path() / TEV_INSTALL_DATADIR};
    for (const fs::path& dir : candidates) {
        if (fs::exists(dir / marker, error) && chdir(dir.c_str()) == 0) return dir.string();
    }
    return fs::current_path(error).string();
}

}  // namespace tev::platform
