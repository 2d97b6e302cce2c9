#pragma once
// The show reads "DATA.PAK" and "data/" from the working directory. So that
// it also runs when started from elsewhere, or after installation, it moves
// to the folder that holds its data when the working directory does not.
// Installed, the data lies beside the programs' folder: in share/tev-intro
// after `cmake --install`, in share/games/tev-intro in the Debian package
// (whose show is in games/ and its tools in bin/).

#include <string>

namespace tev::platform {

// Folders tried after the working directory: beside the executable, then the
// installed data folders. Returns the folder now current.
std::string enterDataDirectory(const char* marker = "DATA.PAK");

// The first of those folders, for an executable in `exeDir`, that holds
// `marker`; "" when none does.
std::string findDataDirectory(const std::string& exeDir, const char* marker = "DATA.PAK");

// The folder that holds the running executable ("" when unknown).
std::string executableDirectory();

}  // namespace tev::platform
