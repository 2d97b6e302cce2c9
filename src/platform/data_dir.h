#pragma once
// The show reads "DATA.PAK" and "data/" from the working directory. So that
// it also runs when started from elsewhere, or after installation, it moves
// to the folder that holds its data when the working directory does not.

#include <string>

namespace tev::platform {

// Folders tried after the working directory: beside the executable, then the
// installed data folder. Returns the folder now current.
std::string enterDataDirectory(const char* marker = "DATA.PAK");

// The folder that holds the running executable ("" when unknown).
std::string executableDirectory();

}  // namespace tev::platform
