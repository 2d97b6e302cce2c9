// Where the programs look for their data when the working directory lacks
// it: beside the executable (the build tree), then the data folders of the
// two install layouts, on folders laid out as each install leaves them.

#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace tev::platform
