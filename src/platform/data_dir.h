#pragma once
// The show reads "DATA.PAK" and "data/*.tga" by relative names, so the
// programs make the folder that holds them the working directory once, at
// the start; every display cycle (F1 too) then reads from it. Installed, the
// data lies beside the programs' folder: in share/tev-intro after
// `cmake --install`, in share/games/tev-intro in the Debian package (whose
// show is in games/ and its tools in bin/).
//
// The folder, in order:
// 1. the one given with --data, as it is (a pack missing there is a missing
//    pack, not a reason to look elsewhere);
// 2. the first that holds the marker of: beside the executable (the build
//    tree), share/tev-intro, share/games/tev-intro;
// 3. the working directory, so that a bare executable started from a folder
//    with data still finds it. A DATA.PAK there never replaces a program's
//    own data: it is a common file name.

#include <string>
#include <vector>

namespace tev::platform {

// The folder to read from: `given` (--data, "" when none), else the first
// of step 2 for an executable in `exeDir`, else `workingDir`.
std::string chooseDataDirectory(const std::string& given, const std::string& exeDir,
                                const std::string& workingDir, const char* marker = "DATA.PAK");

// Makes chooseDataDirectory's folder for this program current. False, with
// the reason in `why`, when it cannot be entered; the working directory
// then stays as it was.
bool enterDataDirectory(const std::string& given = {}, std::string* why = nullptr);

// "" when `dir` can serve as --data's folder, else why not (for the user).
std::string dataFolderProblem(const std::string& dir);

// The first folder of step 2, for an executable in `exeDir`, that holds
// `marker`; "" when none does.
std::string findDataDirectory(const std::string& exeDir, const char* marker = "DATA.PAK");

// The show's files (DATA.PAK, data/leaf.tga, ...) that `dir` lacks as
// regular files, in that order: what the show reads, as it opens them.
std::vector<std::string> missingDataFiles(const std::string& dir = ".");

// One line on standard error naming the files the current folder lacks,
// when it lacks any: the program plays on without their pictures, which
// would otherwise go unsaid (a target built alone, a --data folder).
void warnOfMissingData(const char* program);

// The folder that holds the running executable ("" when unknown).
std::string executableDirectory();

}  // namespace tev::platform
