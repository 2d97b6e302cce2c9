#include "shell/command_line.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "temp_dir.h"

namespace tev {
namespace {

using Action = CommandLine::Action;

CommandLine parse(std::vector<std::string> args) {
    return parseCommandLine(args);
}

TEST(CommandLine, NoArgumentsLeaveItToTheDialog) {
    const CommandLine line = parse({});
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_FALSE(line.skipsDialog());
    EXPECT_FALSE(line.modeSwitch);
    EXPECT_FALSE(line.noSound);
}

TEST(CommandLine, HelpAndVersionEndTheReading) {
    EXPECT_EQ(parse({"--help"}).action, Action::Help);
    EXPECT_EQ(parse({"-h"}).action, Action::Help);
    EXPECT_EQ(parse({"--version"}).action, Action::Version);
    EXPECT_EQ(parse({"--size", "800x600", "--help", "--bogus"}).action, Action::Help);
    EXPECT_EQ(parse({"--version", "--size"}).action, Action::Version);
    // An error before them is still an error.
    EXPECT_EQ(parse({"--bogus", "--help"}).action, Action::Error);
}

TEST(CommandLine, EachChoiceSkipsTheDialogOnItsOwn) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--size", "800x600"}, {"--bits", "32"}, {"--fullscreen"}, {"--windowed"}}) {
        const CommandLine line = parse(args);
        EXPECT_EQ(line.action, Action::Run) << args[0];
        EXPECT_TRUE(line.skipsDialog()) << args[0];
    }
    // The mode change is no choice of the dialog's: it keeps the dialog.
    const CommandLine line = parse({"--mode-switch"});
    EXPECT_TRUE(line.modeSwitch);
    EXPECT_FALSE(line.skipsDialog());
    // Nor is playing without sound.
    const CommandLine silent = parse({"--no-sound"});
    EXPECT_TRUE(silent.noSound);
    EXPECT_FALSE(silent.skipsDialog());
    EXPECT_FALSE(silent.modeSwitch);
    EXPECT_TRUE(parse({"--windowed", "--no-sound"}).skipsDialog());
    // Nor is looping; it takes no value.
    const CommandLine looping = parse({"--loop"});
    EXPECT_TRUE(looping.loop);
    EXPECT_FALSE(looping.skipsDialog());
    EXPECT_FALSE(parse({}).loop);
    EXPECT_TRUE(parse({"--fullscreen", "--loop"}).skipsDialog());
    EXPECT_EQ(parse({"--loop=1"}).action, Action::Error);
}

TEST(CommandLine, ValuesAfterASpaceOrAnEqualsSign) {
    const CommandLine line = parse({"--size=800x600", "--bits", "32"});
    ASSERT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.width, 800);
    EXPECT_EQ(line.height, 600);
    EXPECT_EQ(line.bitsPerPixel, 32);
    EXPECT_EQ(parse({"--bits=16"}).bitsPerPixel, 16);
}

TEST(CommandLine, ALaterOptionOverridesAnEarlierOne) {
    const CommandLine line =
        parse({"--fullscreen", "--size", "800x600", "--windowed", "--size", "640x480"});
    EXPECT_EQ(line.fullscreen, false);
    EXPECT_EQ(line.width, 640);
    EXPECT_EQ(line.height, 480);
}

TEST(CommandLine, BadCommandLinesSayWhatIsWrong) {
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const Case cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-x"}, "unknown option '-x'"},
        {{"show"}, "unexpected argument 'show'"},
        {{""}, "unexpected argument ''"},
        {{"--size"}, "'--size' needs a value"},
        {{"--bits"}, "'--bits' needs a value"},
        {{"--size", "1024x768"}, "--size: '1024x768'"},
        {{"--size", "800X600"}, "--size: '800X600'"},
        {{"--size="}, "--size: ''"},
        {{"--size", "640x480 "}, "--size: '640x480 '"},
        {{"--bits", "24"}, "--bits: '24'"},
        {{"--bits", "16bit"}, "--bits: '16bit'"},
        {{"--fullscreen=1"}, "'--fullscreen' takes no value"},
        {{"--mode-switch=yes"}, "'--mode-switch' takes no value"},
        {{"--no-sound=1"}, "'--no-sound' takes no value"},
        {{"--help=me"}, "'--help' takes no value"},
    };
    for (const Case& c : cases) {
        const CommandLine line = parse(c.args);
        EXPECT_EQ(line.action, Action::Error) << c.says;
        EXPECT_NE(line.error.find(c.says), std::string::npos) << line.error;
    }
}

// What is not given is what the dialog's start button gives untouched.
TEST(CommandLine, ChoicesNotGivenAreTheUntouchedDialogs) {
    platform::DialogState dialog;
    DisplayChoice untouched;
    setupDialogProc(dialog, platform::DialogEvent::Init, 0, untouched);
    setupDialogProc(dialog, platform::DialogEvent::Command, kStartButton, untouched);

    const DisplayChoice none = choiceFromCommandLine(parse({"--windowed"}));
    EXPECT_EQ(none.width, untouched.width);
    EXPECT_EQ(none.height, untouched.height);
    EXPECT_EQ(none.bitsPerPixel, untouched.bitsPerPixel);
    EXPECT_EQ(none.fullscreen, untouched.fullscreen);

    const DisplayChoice all =
        choiceFromCommandLine(parse({"--size", "800x600", "--bits", "32", "--fullscreen"}));
    EXPECT_EQ(all.width, 800);
    EXPECT_EQ(all.height, 600);
    EXPECT_EQ(all.bitsPerPixel, 32);
    EXPECT_EQ(all.fullscreen, 1);
}

// --data names a folder that is there, written either way; it does not skip
// the dialog. A folder without data is taken: its files are missing files.
TEST(CommandLine, DataNamesAFolderThatIsThere) {
    test::TempDir root;
    const std::string dir = root.path().string();
    EXPECT_EQ(parse({"--data", dir}).dataDir, dir);
    const CommandLine line = parse({"--data=" + dir, "--data", "."});
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.dataDir, ".") << "the later one";
    EXPECT_FALSE(line.skipsDialog());
    EXPECT_EQ(parse({}).dataDir, "");

    const std::string file = root.write("DATA.PAK", {'P'});
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const Case cases[] = {
        {{"--data"}, "'--data' needs a value"},
        {{"--data="}, "'--data' needs a value"},
        {{"--data", dir + "/absent"}, "--data: '" + dir + "/absent': no such folder"},
        {{"--data=" + file}, "--data: '" + file + "': not a folder"},
    };
    for (const Case& c : cases) {
        const CommandLine bad = parse(c.args);
        EXPECT_EQ(bad.action, Action::Error) << c.says;
        EXPECT_NE(bad.error.find(c.says), std::string::npos) << bad.error;
    }
    // One that cannot be entered (root enters any folder).
    const std::string shut = (root.path() / "shut").string();
    ASSERT_EQ(mkdir(shut.c_str(), 0), 0);
    if (geteuid() != 0) {
        EXPECT_EQ(parse({"--data", shut}).action, Action::Error);
    }
    chmod(shut.c_str(), 0700);
}

TEST(CommandLine, HelpNamesEveryOption) {
    const std::string help = std::string(kUsageLine) + kHelpText;
    for (const char* option :
         {"--size", "--bits", "--fullscreen", "--windowed", "--mode-switch", "--data DIR",
          "--no-sound", "--loop", "--help", "--version", "640x480", "800x600"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace tev
