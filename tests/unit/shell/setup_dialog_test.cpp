#include "shell/setup_dialog.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tev {
namespace {

using platform::Checked;
using platform::DialogEvent;
using platform::DialogState;
using platform::Unchecked;

struct DialogRun {
    DialogState dialog;
    DisplayChoice choice;

    DialogRun() { setupDialogProc(dialog, DialogEvent::Init, 0, choice); }
    // A click on an automatic radio button, as the dialog view performs it.
    void pick(int first, int last, int id) {
        dialog.checkRadioButton(first, last, id);
        command(id);
    }
    void tick(int id) {
        dialog.setCheckState(id, Checked);
        command(id);
    }
    DialogAction command(int id) {
        return setupDialogProc(dialog, DialogEvent::Command, id, choice);
    }
};

TEST(SetupDialog, StartsWith640And16BitSelectedAndBothBoxesClear) {
    DialogRun run;
    EXPECT_EQ(run.dialog.checkState(kRes640), Checked);
    EXPECT_EQ(run.dialog.checkState(kRes800), Unchecked);
    EXPECT_EQ(run.dialog.checkState(kBits16), Checked);
    EXPECT_EQ(run.dialog.checkState(kBits32), Unchecked);
    EXPECT_EQ(run.dialog.checkState(kFullscreenBox), Unchecked);
    EXPECT_EQ(run.dialog.checkState(kOverdriveBox), Unchecked);
    EXPECT_FALSE(run.dialog.ended());
}

TEST(SetupDialog, UntouchedStartGives640x480At16BitWindowed) {
    DialogRun run;
    run.command(kStartButton);
    ASSERT_TRUE(run.dialog.ended());
    EXPECT_EQ(run.dialog.result(), 1);
    EXPECT_EQ(run.choice.width, 640);
    EXPECT_EQ(run.choice.height, 480);
    EXPECT_EQ(run.choice.bitsPerPixel, 16);
    EXPECT_EQ(run.choice.fullscreen, 0);
}

TEST(SetupDialog, Choosing800And32BitAndFullscreen) {
    DialogRun run;
    run.pick(kRes640, kRes800, kRes800);
    run.pick(kBits16, kBits32, kBits32);
    run.tick(kFullscreenBox);
    run.command(kStartButton);
    EXPECT_EQ(run.choice.width, 800);
    EXPECT_EQ(run.choice.height, 600);
    EXPECT_EQ(run.choice.bitsPerPixel, 32);
    EXPECT_EQ(run.choice.fullscreen, 1);
}

TEST(SetupDialog, OverdriveForcesTheRichestSettingWhateverElseIsTicked) {
    DialogRun run;  // 640 and 16 bit stay selected, windowed
    run.tick(kOverdriveBox);
    run.command(kStartButton);
    EXPECT_EQ(run.choice.width, 800);
    EXPECT_EQ(run.choice.height, 600);
    EXPECT_EQ(run.choice.bitsPerPixel, 32);
    EXPECT_EQ(run.choice.fullscreen, 1);
    // The buttons show the override, with the fullscreen box cleared.
    EXPECT_EQ(run.dialog.checkState(kRes640), platform::Indeterminate);
    EXPECT_EQ(run.dialog.checkState(kRes800), Checked);
    EXPECT_EQ(run.dialog.checkState(kBits16), platform::Indeterminate);
    EXPECT_EQ(run.dialog.checkState(kBits32), Checked);
    EXPECT_EQ(run.dialog.checkState(kFullscreenBox), Unchecked);
}

TEST(SetupDialog, ResolutionFallsBackTo640WhenNeitherIsSelected) {
    DialogRun run;
    run.dialog.setCheckState(kRes640, Unchecked);
    run.command(kStartButton);
    EXPECT_EQ(run.choice.width, 640);
}

TEST(SetupDialog, EscapeAndOtherCommandsDoNothing) {
    DialogRun run;
    EXPECT_EQ(run.command(platform::kCommandCancel), DialogAction::None);
    EXPECT_EQ(run.command(kRes800), DialogAction::None);
    EXPECT_FALSE(run.dialog.ended());
}

TEST(SetupDialog, CloseEndsWithZeroAndQuitEndsTheProcess) {
    DialogRun closing;
    setupDialogProc(closing.dialog, DialogEvent::Close, 0, closing.choice);
    EXPECT_TRUE(closing.dialog.ended());
    EXPECT_EQ(closing.dialog.result(), 0);

    DialogRun quitting;
    EXPECT_EQ(quitting.command(kQuitButton), DialogAction::ExitProcess);
    EXPECT_EQ(quitting.dialog.result(), 1);
}

TEST(SetupDialog, TemplateMatchesTheDialogResource) {
    const auto& layout = setupDialogTemplate();
    EXPECT_EQ(layout.width, 227);
    EXPECT_EQ(layout.height, 103);
    ASSERT_EQ(layout.controls.size(), 12u);
    EXPECT_EQ(layout.controls[0].id, kStartButton);
    EXPECT_EQ(layout.controls[0].kind, platform::ControlKind::DefaultButton);
    EXPECT_EQ(layout.controls[0].text, "rebut");
    EXPECT_EQ(layout.controls[11].text, "*Yes*MaximumOverdrive");
    // 8 points at 96 dpi with base units 6 x 13: 227 x 103 units is 341 x 167 pixels.
    EXPECT_EQ(platform::dialogUnitsToPixelsX(227, 6), 341);
    EXPECT_EQ(platform::dialogUnitsToPixelsY(103, 13), 167);
}

TEST(SetupDialog, DrawnAt96DpiUnlessTheScreenIsDenser) {
    using platform::dialogDpi;
    using platform::ScreenDensity;
    // What servers report when told nothing of the monitor (Xorg 96, Xvfb
    // 100, some 90): the template's own density.
    EXPECT_EQ(dialogDpi(ScreenDensity{}), 96);
    EXPECT_EQ(dialogDpi({"", 96, 1080}), 96);
    EXPECT_EQ(dialogDpi({"", 100, 768}), 96);
    EXPECT_EQ(dialogDpi({"", 90, 1200}), 96);
    // A server that knows the monitor, and screens twice full-HD height or more.
    EXPECT_EQ(dialogDpi({"", 144, 1080}), 144);
    EXPECT_EQ(dialogDpi({"", 96, 2159}), 96);
    EXPECT_EQ(dialogDpi({"", 96, 2160}), 192);
    EXPECT_EQ(dialogDpi({"", 163, 2160}), 192);
    EXPECT_EQ(dialogDpi({"", 240, 2160}), 240);
    EXPECT_EQ(dialogDpi({"", 96, 4320}), 384);
    // The desktop's Xft.dpi wins either way, but never makes text smaller.
    EXPECT_EQ(dialogDpi({"192", 96, 1080}), 192);
    EXPECT_EQ(dialogDpi({"144.5 ", 100, 768}), 144.5);
    EXPECT_EQ(dialogDpi({"96", 96, 2160}), 96);
    EXPECT_EQ(dialogDpi({"72", 240, 2160}), 96);
    // Nonsense is ignored or bounded.
    for (const char* junk : {"abc", "192x", "-192", "0", "nan", "inf", " "}) {
        EXPECT_EQ(dialogDpi({junk, 96, 1080}), 96) << junk;
    }
    EXPECT_EQ(dialogDpi({"1e9", 96, 1080}), 480);
    EXPECT_EQ(dialogDpi({"", 25400, 1080}), 480);  // a screen said to be 1 mm high
    EXPECT_EQ(dialogDpi({"", std::nan(""), 1080}), 96);
    EXPECT_EQ(dialogDpi({"", 96, -2160}), 96);
}

TEST(SetupDialog, EightPointTextInPixels) {
    EXPECT_EQ(platform::fontPixels(8, 96), 11);
    EXPECT_EQ(platform::fontPixels(8, 100), 11);  // Xvfb's figure keeps the 96-dpi look
    EXPECT_EQ(platform::fontPixels(8, 144), 16);
    EXPECT_EQ(platform::fontPixels(8, 192), 21);
    EXPECT_EQ(platform::fontPixels(8, 480), 53);
}

// Keyboard moves over the real template, from a control named by its id.
class DialogKeys : public ::testing::Test {
  protected:
    const platform::DialogTemplate& layout = setupDialogTemplate();
    DialogRun run;

    size_t index(int id) const {
        for (size_t i = 0; i < layout.controls.size(); ++i)
            if (layout.controls[i].id == id) return i;
        ADD_FAILURE() << "no control " << id;
        return 0;
    }
    int id(size_t i) const { return layout.controls.at(i).id; }
    platform::FocusMove move(int from, platform::ArrowKey key) const {
        return platform::arrowMove(layout, run.dialog, index(from), key);
    }
    int to(int from, platform::ArrowKey key) const { return id(move(from, key).to); }
};

TEST_F(DialogKeys, FocusStartsOnTheFirstChoice) {
    EXPECT_EQ(id(platform::firstFocus(layout, run.dialog)), kRes640);
    // Within a radio group, on its checked button.
    run.pick(kRes640, kRes800, kRes800);
    EXPECT_EQ(id(platform::firstFocus(layout, run.dialog)), kRes800);
}

TEST_F(DialogKeys, LeftAndRightMoveTheChoiceAlongARow) {
    using platform::ArrowKey;
    EXPECT_EQ(to(kRes640, ArrowKey::Right), kRes800);
    EXPECT_TRUE(move(kRes640, ArrowKey::Right).check) << "8x6 is checked on the way";
    EXPECT_EQ(to(kRes800, ArrowKey::Left), kRes640);
    EXPECT_FALSE(move(kRes800, ArrowKey::Left).check) << "6x4 is already checked";
    EXPECT_EQ(to(kBits16, ArrowKey::Right), kBits32);
    EXPECT_TRUE(move(kBits16, ArrowKey::Right).check);
    EXPECT_EQ(to(kStartButton, ArrowKey::Right), kQuitButton);
    EXPECT_FALSE(move(kStartButton, ArrowKey::Right).check) << "a push button is not pressed";
    // The ends of rows hold the focus.
    EXPECT_EQ(to(kRes640, ArrowKey::Left), kRes640);
    EXPECT_EQ(to(kRes800, ArrowKey::Right), kRes800);
    EXPECT_EQ(to(kQuitButton, ArrowKey::Right), kQuitButton);
    EXPECT_EQ(to(kOverdriveBox, ArrowKey::Left), kOverdriveBox);
}

TEST_F(DialogKeys, UpAndDownMoveBetweenRowsKeepingTheChoice) {
    using platform::ArrowKey;
    // Down the column, from the top row to the start button.
    EXPECT_EQ(to(kRes640, ArrowKey::Down), kBits16);
    EXPECT_EQ(to(kBits16, ArrowKey::Down), kOverdriveBox);
    EXPECT_EQ(to(kOverdriveBox, ArrowKey::Down), kFullscreenBox);
    EXPECT_EQ(to(kFullscreenBox, ArrowKey::Down), kStartButton) << "the nearer left edge";
    EXPECT_EQ(to(kStartButton, ArrowKey::Down), kStartButton);
    EXPECT_EQ(to(kQuitButton, ArrowKey::Up), kFullscreenBox);
    EXPECT_EQ(to(kBits16, ArrowKey::Up), kRes640);
    EXPECT_EQ(to(kRes640, ArrowKey::Up), kRes640);
    // A radio group is entered at its checked button, and nothing is checked.
    EXPECT_EQ(to(kRes800, ArrowKey::Down), kBits16);
    run.pick(kBits16, kBits32, kBits32);
    EXPECT_EQ(to(kRes640, ArrowKey::Down), kBits32);
    EXPECT_EQ(to(kOverdriveBox, ArrowKey::Up), kBits32);
    for (const auto key : {ArrowKey::Up, ArrowKey::Down}) {
        for (const auto& c : layout.controls) {
            if (c.id > 0) {
                EXPECT_FALSE(move(c.id, key).check) << c.id;
            }
        }
    }
}

TEST_F(DialogKeys, RadioGroupsFollowTheTemplate) {
    // 6x4 and 8x6 share the group the credit panel starts with the quit
    // button, the rule and the override box; 16bit starts its own.
    EXPECT_EQ(platform::controlGroup(layout, index(kRes800)),
              std::make_pair(index(kRes640) - 2, layout.controls.size()));
    EXPECT_EQ(platform::controlGroup(layout, index(kBits32)),
              std::make_pair(index(kBits16), index(kBits32) + 1));
    EXPECT_EQ(platform::controlGroup(layout, 0), std::make_pair(size_t{0}, size_t{1}));
}

TEST(DialogKeysElsewhere, ATemplateWithoutChoicesHasNoFocus) {
    platform::DialogTemplate text;
    text.controls.resize(2);  // two static texts
    EXPECT_EQ(platform::firstFocus(text, DialogState{}), 2u);
}

TEST(SetupDialog, CarriesTheIconInFiveSizes) {
    const auto icons = windowIcons();
    ASSERT_EQ(icons.size(), 5u);
    int side = 0;
    for (const int expected : {16, 24, 32, 48, 64}) {
        const auto& icon = icons[side++];
        EXPECT_EQ(icon.width, expected);
        EXPECT_EQ(icon.height, expected);
        ASSERT_NE(icon.rgba, nullptr);
        // Opaque in the middle, clear in the corner (the rounded square).
        EXPECT_EQ(icon.rgba[(size_t(expected / 2) * expected + expected / 2) * 4 + 3], 255);
        EXPECT_LE(icon.rgba[3], 40);
    }
    EXPECT_EQ(setupDialogTemplate().icons.size(), 5u);
    EXPECT_EQ(setupDialogTemplate().windowClass, "tev-intro");
}

}  // namespace
}  // namespace tev
