// The tev-textures program, run as a user would. Its pixels come from the
// functions the golden tests pin; here: files, formats and failures.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace tev {
namespace {

namespace fs = std::filesystem;

// The build names the tool it made, so that a missing tool fails the tests
// wherever they are run from.
fs::path toolPath() {
    return TEV_TEXTURES_TOOL;
}

// Exit status and everything the tool printed.
std::pair<int, std::string> run(const std::string& arguments) {
    FILE* pipe = popen((toolPath().string() + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe) return {-1, ""};
    std::string output;
    std::array<char, 256> buffer;
    while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
        output.append(buffer.data(), n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// Width and colour type from a PNG's header (IHDR comes first).
std::pair<int, int> widthAndColourType(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::array<unsigned char, 26> b{};
    in.read(reinterpret_cast<char*>(b.data()), b.size());
    if (!in || b[1] != 'P' || b[2] != 'N' || b[3] != 'G') return {-1, -1};
    return {b[16] << 24 | b[17] << 16 | b[18] << 8 | b[19], b[25]};
}

class TexturesTool : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::is_regular_file(toolPath())) << toolPath() << " is missing";
        dir_ = fs::temp_directory_path() / ("tev-textures-test-" + std::to_string(getpid()));
        fs::remove_all(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(TexturesTool, WritesEveryTextureIntoANewDirectory) {
    const fs::path out = dir_ / "new" / "nested";
    const auto [status, output] = run(out.string());
    ASSERT_EQ(status, 0) << output;
    constexpr int kGray = 0, kRgba = 6;
    EXPECT_EQ(widthAndColourType(out / "kind1.png"), std::make_pair(256, kGray));
    EXPECT_EQ(widthAndColourType(out / "kind3.png"), std::make_pair(256, kGray));
    EXPECT_EQ(widthAndColourType(out / "kind4.png"), std::make_pair(128, kRgba));
    EXPECT_EQ(widthAndColourType(out / "kind5.png"), std::make_pair(256, kRgba));
    for (const char* layer : {"layer0.png", "layer1.png", "layer2.png"}) {
        EXPECT_EQ(widthAndColourType(out / layer), std::make_pair(256, kRgba)) << layer;
    }
}

TEST_F(TexturesTool, HelpUsageAndUnwritableDirectory) {
    const auto [helpStatus, help] = run("--help");
    EXPECT_EQ(helpStatus, 0);
    EXPECT_NE(help.find("Usage: tev-textures DIR"), std::string::npos);
    EXPECT_EQ(run("").first, 2);
    EXPECT_EQ(run("a b").first, 2);
    EXPECT_EQ(run("--bogus").first, 2);

    // No directory can be made below a regular file, even by root.
    fs::create_directories(dir_);
    std::ofstream(dir_ / "file") << "x";
    const auto [status, output] = run((dir_ / "file" / "sub").string());
    EXPECT_EQ(status, 1);
    EXPECT_NE(output.find("cannot create directory"), std::string::npos) << output;
    // A file that cannot be written stops the run with its name.
    fs::create_directories(dir_ / "out" / "kind3.png");
    const auto [fileStatus, fileOutput] = run((dir_ / "out").string());
    EXPECT_EQ(fileStatus, 1);
    EXPECT_NE(fileOutput.find("kind3.png"), std::string::npos) << fileOutput;
}

}  // namespace
}  // namespace tev
