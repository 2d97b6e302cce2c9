#include "platform/data_dir.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
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

std::string chooseDataDirectory(const std::string& given, const std::string& exeDir,
                                const std::string& workingDir, const char* marker) {
    if (!given.empty()) return given;
    const std::string own = findDataDirectory(exeDir, marker);
    return own.empty() ? workingDir : own;
}

std::string dataFolderProblem(const std::string& dir) {
    if (dir.empty()) return "an empty folder name";
    std::error_code error;
    const fs::file_status status = fs::status(dir, error);
    if (!fs::exists(status)) return "no such folder";
    if (!fs::is_directory(status)) return "not a folder";
    // Entered, not listed: the show opens its files by name.
    if (access(dir.c_str(), X_OK) != 0) return std::strerror(errno);
    return {};
}

bool enterDataDirectory(const std::string& given, std::string* why) {
    std::error_code error;
    const std::string working = fs::current_path(error).string();
    const std::string dir = chooseDataDirectory(given, executableDirectory(), working);
    if (dir == working || chdir(dir.c_str()) == 0) return true;
    if (why != nullptr) *why = dir + ": " + std::strerror(errno);
    return false;
}

std::vector<std::string> missingDataFiles(const std::string& dir) {
    // The names the show's set-up and its particle scene open.
    static const char* const kFiles[] = {"DATA.PAK",       "data/leaf.tga", "data/block.tga",
                                         "data/flare.tga", "data/tex.tga",  "data/n.tga"};
    std::vector<std::string> missing;
    for (const char* file : kFiles) {
        std::error_code error;
        if (!fs::is_regular_file(fs::path(dir) / file, error)) missing.emplace_back(file);
    }
    return missing;
}

void warnOfMissingData(const char* program) {
    const std::vector<std::string> missing = missingDataFiles();
    if (missing.empty()) return;
    std::string names;
    for (const std::string& file : missing)
        names += (names.empty() ? "" : ", ") + file;
    std::error_code error;
    const std::string here = fs::current_path(error).string();
    std::fprintf(stderr, "%s: missing in %s: %s; the show goes on without those pictures\n",
                 program, here.c_str(), names.c_str());
}

}  // namespace tev::platform
