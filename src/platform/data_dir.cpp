#include "platform/data_dir.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace tev::platform {

namespace fs = std::filesystem;

// Relative to the install prefix; the build says which layout it installs.
#ifndef TEV_INSTALL_DATADIR
#define TEV_INSTALL_DATADIR "share/tev-intro"
#endif
#ifndef TEV_INSTALL_GAMES_DATADIR
#define TEV_INSTALL_GAMES_DATADIR "share/games/tev-intro"
#endif

std::string executableDirectory() {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

std::string findDataDirectory(const std::string& exeDir, const char* marker) {
    if (exeDir.empty()) return {};
    const fs::path dir = exeDir;
    const fs::path prefix = dir.parent_path();
    const fs::path candidates[] = {dir, prefix / TEV_INSTALL_DATADIR,
                                   prefix / TEV_INSTALL_GAMES_DATADIR};
    std::error_code error;
    for (const fs::path& candidate : candidates) {
        if (fs::exists(candidate / marker, error)) return candidate.string();
    }
    return {};
}

std::string enterDataDirectory(const char* marker) {
    std::error_code error;
    if (fs::exists(marker, error)) return fs::current_path(error).string();
    const std::string dir = findDataDirectory(executableDirectory(), marker);
    if (!dir.empty() && chdir(dir.c_str()) == 0) return dir;
    return fs::current_path(error).string();
}

}  // namespace tev::platform
