// Where the programs read their data: the --data folder, else beside the
// executable (the build tree) or the data folders of the two install
// layouts, else the working directory; on folders laid out as each install
// leaves them.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/data_dir.h"
#include "temp_dir.h"

namespace tev::platform {
namespace {

namespace fs = std::filesystem;

// Makes `dir` with a DATA.PAK in it.
void putData(const fs::path& dir) {
    fs::create_directories(dir);
    std::FILE* f = std::fopen((dir / "DATA.PAK").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
}

TEST(DataDirectory, EachLayoutFindsItsOwnFolder) {
    test::TempDir root;
    const fs::path prefix = root.path() / "usr";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "games");
    EXPECT_EQ(findDataDirectory((prefix / "bin").string()), "") << "no data anywhere yet";

    // cmake --install: programs in bin/, data in share/tev-intro.
    putData(prefix / TEV_INSTALL_DATADIR);
    EXPECT_EQ(findDataDirectory((prefix / "bin").string()),
              (prefix / TEV_INSTALL_DATADIR).string());

    // The package: the show in games/, the tools in bin/, both reading
    // share/games/tev-intro.
    test::TempDir other;
    const fs::path debian = other.path() / "usr";
    fs::create_directories(debian / "games");
    fs::create_directories(debian / "bin");
    putData(debian / TEV_INSTALL_GAMES_DATADIR);
    for (const char* programs : {"games", "bin"}) {
        EXPECT_EQ(findDataDirectory((debian / programs).string()),
                  (debian / TEV_INSTALL_GAMES_DATADIR).string())
            << programs;
    }
}

TEST(DataDirectory, DataBesideTheProgramComesFirst) {
    test::TempDir root;
    const fs::path bin = root.path() / "build" / "bin";
    putData(bin);
    putData(root.path() / "build" / TEV_INSTALL_DATADIR);
    EXPECT_EQ(findDataDirectory(bin.string()), bin.string());
}

TEST(DataDirectory, ThePackagesFolderNeedsTheMarker) {
    // A data folder without the pack, or a marker other than the one asked
    // for, is not taken.
    test::TempDir root;
    const fs::path games = root.path() / "usr" / "games";
    fs::create_directories(games);
    fs::create_directories(root.path() / "usr" / TEV_INSTALL_GAMES_DATADIR / "data");
    EXPECT_EQ(findDataDirectory(games.string()), "");
    putData(root.path() / "usr" / TEV_INSTALL_GAMES_DATADIR);
    EXPECT_EQ(findDataDirectory(games.string(), "data/leaf.tga"), "");
    EXPECT_EQ(findDataDirectory(games.string(), "data"),
              (root.path() / "usr" / TEV_INSTALL_GAMES_DATADIR).string());
    EXPECT_EQ(findDataDirectory("", "DATA.PAK"), "") << "an unknown executable folder";
}

TEST(DataDirectory, AStrayPackInTheWorkingFolderReplacesNothing) {
    test::TempDir root;
    const fs::path work = root.path() / "home" / "downloads";
    putData(work);

    // The package: the show in games/, its data in share/games/tev-intro.
    const fs::path games = root.path() / "usr" / "games";
    fs::create_directories(games);
    const fs::path packaged = root.path() / "usr" / TEV_INSTALL_GAMES_DATADIR;
    putData(packaged);
    EXPECT_EQ(chooseDataDirectory("", games.string(), work.string()), packaged.string());

    // The build tree: the data beside the program.
    const fs::path bin = root.path() / "build" / "bin";
    putData(bin);
    EXPECT_EQ(chooseDataDirectory("", bin.string(), work.string()), bin.string());

    // A bare program with no data of its own, started where data lies.
    const fs::path bare = root.path() / "opt" / "bare";
    fs::create_directories(bare);
    EXPECT_EQ(chooseDataDirectory("", bare.string(), work.string()), work.string());
    EXPECT_EQ(chooseDataDirectory("", "", work.string()), work.string())
        << "an unknown executable folder";
}

TEST(DataDirectory, AGivenFolderIsTakenAsItIs) {
    // Even without a pack in it, and with data beside the program: a pack
    // missing there is a missing pack, not a reason to look elsewhere.
    test::TempDir root;
    const fs::path bin = root.path() / "bin";
    putData(bin);
    const fs::path given = root.path() / "mine";
    fs::create_directories(given);
    EXPECT_EQ(chooseDataDirectory(given.string(), bin.string(), root.path().string()),
              given.string());
    EXPECT_EQ(chooseDataDirectory("mine", bin.string(), root.path().string()), "mine");
}

// The working directory after entering: what every display cycle reads.
class EnteringTheDataFolder : public ::testing::Test {
  protected:
    void TearDown() override { fs::current_path(before_); }
    const fs::path before_ = fs::current_path();
};

TEST_F(EnteringTheDataFolder, TheGivenFolderBecomesCurrent) {
    test::TempDir root;
    putData(root.path() / "mine");
    fs::current_path(root.path());
    std::string why;
    ASSERT_TRUE(enterDataDirectory("mine", &why)) << why;
    EXPECT_EQ(fs::current_path(), fs::canonical(root.path() / "mine"));
    EXPECT_TRUE(fs::exists("DATA.PAK"));
}

TEST_F(EnteringTheDataFolder, AFolderThatWentAwayIsReportedAndNothingMoves) {
    test::TempDir root;
    fs::current_path(root.path());
    std::string why;
    EXPECT_FALSE(enterDataDirectory((root.path() / "gone").string(), &why));
    EXPECT_NE(why.find("gone"), std::string::npos) << why;
    EXPECT_EQ(fs::current_path(), fs::canonical(root.path()));
}

// What a program names on standard error when it plays without its files:
// each one missing, in the order the show reads them; a FIFO or a folder in
// a file's place counts as missing, as the readers do not open them.
TEST(MissingDataFiles, NamesEachFileTheFolderLacks) {
    test::TempDir root;
    const std::vector<std::string> all = {"DATA.PAK",       "data/leaf.tga", "data/block.tga",
                                          "data/flare.tga", "data/tex.tga",  "data/n.tga"};
    EXPECT_EQ(missingDataFiles(root.path().string()), all);
    fs::create_directories(root.path() / "data");
    for (const std::string& file : all)
        root.write(file, {1});
    EXPECT_TRUE(missingDataFiles(root.path().string()).empty());

    fs::remove(root.path() / "data/flare.tga");
    fs::create_directory(root.path() / "data/flare.tga");
    fs::remove(root.path() / "DATA.PAK");
    ASSERT_EQ(mkfifo((root.path() / "DATA.PAK").c_str(), 0600), 0);
    EXPECT_EQ(missingDataFiles(root.path().string()),
              (std::vector<std::string>{"DATA.PAK", "data/flare.tga"}));
}

}  // namespace
}  // namespace tev::platform
