// The timeline's rules at the boundaries the show is built on.

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "show/blocks.h"

namespace tev {
namespace {

// Blocks by name, in drawing order.
std::string names(const std::vector<int>& blocks) {
    std::string joined;
    for (int block : blocks)
        joined += (joined.empty() ? "" : ", ") + std::string(blockName(block));
    return joined;
}

// The blocks that run at show time t.
std::string running(float t) {
    const auto on = scheduledBlocks(t);
    std::vector<int> blocks;
    for (int block = 1; block <= kBlockCount; ++block) {
        if (on[block]) blocks.push_back(block);
    }
    return names(blocks);
}

std::string blocks(std::initializer_list<ShowBlock> list) {
    return names(std::vector<int>(list.begin(), list.end()));
}

TEST(Schedule, EveryBlockHasANameOfItsOwn) {
    std::set<std::string> seen;
    for (int block = 1; block <= kBlockCount; ++block) {
        const std::string name = blockName(block);
        EXPECT_FALSE(name.empty()) << block;
        EXPECT_TRUE(seen.insert(name).second) << name;
    }
    EXPECT_STREQ(blockName(kNoiseVeil), "noise veil");
    EXPECT_STREQ(blockName(kShowEnd), "end");
    EXPECT_STREQ(blockName(0), "");
    EXPECT_STREQ(blockName(kBlockCount + 1), "");
}

TEST(Schedule, BoundariesAreExactlyAsWritten) {
    EXPECT_EQ(running(0.0f),
              blocks({kBlackFadeIn}));  // only the black square: the first frame is black
    EXPECT_EQ(running(-5.0f), blocks({kBlackFadeIn}));  // a clock that went backwards
    EXPECT_EQ(running(0.001f),
              blocks({kNoiseVeil, kLogoWave, kTextureLayers, kSheet, kCreditLine, kBlackFadeIn}));
    EXPECT_EQ(running(10.0f), blocks({kNoiseVeil, kLogoWave, kTextureLayers, kSheet,
                                      kCreditLine}));  // the fade-in ends before 10
    EXPECT_EQ(running(13.5f), blocks({kNoiseVeil, kLogoWave, kTextureLayers, kSheet, kCreditLine}));
    EXPECT_EQ(running(13.51f),
              blocks({kNoiseVeil, kLogoWave, kTextureLayers, kCubeRows, kSheet, kCreditLine}));
    EXPECT_EQ(running(16.0f), blocks({kNoiseVeil, kLogoWave, kTextureLayers, kCubeRows, kSheet}));
    EXPECT_EQ(running(20.0f), blocks({kNoiseVeil, kLogoWave, kTextureLayers, kCubeRows, kSheet}));
    EXPECT_EQ(running(20.01f),
              blocks({kNoiseVeil, kLogoWave, kTextureLayers, kCubeRows, kSheet, kWords}));
    EXPECT_EQ(running(40.0f),
              blocks({kNoiseVeil, kLogoWave, kTextureLayers, kCubeRows, kSheet, kFogText, kWords}));
    EXPECT_EQ(running(45.0f),
              blocks({kNoiseVeil, kLogoWave, kTextureLayers, kCubeRows, kSheet, kFogText, kWords}));
    EXPECT_EQ(running(46.0f), blocks({kNoiseVeil, kLogoWave, kTextureLayers, kCubeRows, kSheet,
                                      kFogText, kLitSceneA, kWords, kRing}));
    EXPECT_EQ(running(72.0f), blocks({kNoiseVeil, kLogoWave, kTextureLayers, kCubeRows, kSheet,
                                      kFogText, kLitSceneA, kWords, kRing}));
    EXPECT_EQ(running(76.0f), blocks({kNoiseVeil, kLogoWave, kCubeRows, kSheet, kFogText,
                                      kLitSceneB, kWords, kRing}));
    EXPECT_EQ(running(100.0f),
              blocks({kNoiseVeil, kLogoWave, kCubeRows, kSheet, kFogText, kWords, kRing}));
    EXPECT_EQ(running(100.01f), blocks({kNoiseVeil, kPictureShow, kLogoWave, kCubeRows, kSheet,
                                        kFogText, kWords, kClockReadout, kRing}));
    EXPECT_EQ(running(109.5f), blocks({kNoiseVeil, kPictureShow, kLogoWave, kCubeRows, kSheet,
                                       kFogText, kWords, kClockReadout, kRing}));
    EXPECT_EQ(running(109.51f), blocks({kNoiseVeil, kPictureShow, kLogoWave, kCubeRows, kSheet,
                                        kFogText, kWords, kClockReadout, kRing, kWhiteFlash}));
    EXPECT_EQ(running(130.0f), blocks({kNoiseVeil, kPictureShow, kLogoWave, kCubeRows, kSheet,
                                       kFogText, kWords, kClockReadout, kRing, kWhiteFlash}));
    EXPECT_EQ(running(130.01f),
              blocks({kNoiseVeil, kPictureShow, kLogoWave, kCubeRows, kSheet, kFogText, kWords,
                      kClockReadout, kRing, kWhiteFlash, kShowEnd}));
    EXPECT_EQ(running(9910.0f), blocks({kNoiseVeil, kPictureShow, kCubeRows, kSheet, kFogText,
                                        kWords, kClockReadout, kRing, kWhiteFlash, kShowEnd}));
}

TEST(PictureStep, AtMostOneStepPerFrameWithTheExcessCarried) {
    int32_t index = 0;
    float timer = 0.0f;
    pictureStep(index, timer, 0.125);  // exactly 0.125 does not step
    EXPECT_EQ(index, 0);
    EXPECT_FLOAT_EQ(timer, 0.125f);
    pictureStep(index, timer, 0.05);
    EXPECT_EQ(index, 1);
    EXPECT_NEAR(timer, 0.05, 1e-6);

    // Below 8 frames a second: one step a frame, and the timer keeps growing.
    index = 0;
    timer = 0.0f;
    for (int frame = 0; frame < 5; ++frame)
        pictureStep(index, timer, 0.5);
    EXPECT_EQ(index, 5);
    EXPECT_NEAR(timer, 5 * 0.375, 1e-5);
}

TEST(PictureStep, ClampsAtFourteenAndPullsFifteenBack) {
    int32_t index = 13;
    float timer = 0.0f;
    pictureStep(index, timer, 0.2);
    pictureStep(index, timer, 0.2);
    EXPECT_EQ(index, 14);
    index = 15;  // the white flash's picture
    pictureStep(index, timer, 0.2);
    EXPECT_EQ(index, 14);
}

TEST(LetterStep, SixtiethsOfASecondAddALetterEveryEightFrames) {
    int32_t counter = 0;
    float timer = 0.0f;
    std::vector<int> stepFrames;
    for (int frame = 1; frame <= 24; ++frame) {
        const int32_t before = counter;
        letterStep(counter, timer, 1.0 / 60.0, 0.125f, 9);
        if (counter != before) stepFrames.push_back(frame);
    }
    // 7.5 frames a letter: the first after 8, then the carried remainder
    // makes the gaps alternate between 7 and 8.
    EXPECT_EQ(stepFrames, (std::vector<int>{8, 15, 23}));
}

TEST(LetterStep, LongFrameAddsOneLetterAndTheCounterIsClamped) {
    int32_t counter = 0;
    float timer = 0.0f;
    letterStep(counter, timer, 0.5, 0.125f, 9);
    EXPECT_EQ(counter, 1);
    EXPECT_NEAR(timer, 0.375, 1e-6);

    counter = 7;
    letterStep(counter, timer, 0.5, 0.125f, 4);  // a shorter word clamps the shared counter
    EXPECT_EQ(counter, 4);
    counter = -3;
    timer = 0.2f;
    letterStep(counter, timer, 0.0, 0.125f, 4);
    EXPECT_EQ(counter, 0);
}

TEST(LetterStep, WordsSharingTheCounterShowWhatTheOthersLeave) {
    // Just after 40 s, "countdown" (9), "cubics" (6) and "concern" (7) all
    // run every frame, in that order, on one counter and one timer.
    int32_t counter = 9;
    float timer = 0.0f;
    std::set<int32_t> concernShows;
    for (int frame = 0; frame < 120; ++frame) {
        letterStep(counter, timer, 1.0 / 60.0, 0.125f, 9);
        letterStep(counter, timer, 1.0 / 60.0, 0.125f, 6);
        letterStep(counter, timer, 1.0 / 60.0, 0.125f, 7);
        concernShows.insert(std::min(counter, 7));
    }
    EXPECT_EQ(concernShows, (std::set<int32_t>{6, 7}));
}

TEST(WordOpacity, RisesToSixTenthsJumpsAtTheMidpointAndFalls) {
    EXPECT_FLOAT_EQ(wordOpacity(0.0f, 4.0f), 0.0f);
    EXPECT_NEAR(wordOpacity(1.9999f, 4.0f), 0.6f, 1e-4);
    EXPECT_FLOAT_EQ(wordOpacity(2.0f, 4.0f), 1.0f);
    EXPECT_NEAR(wordOpacity(2.0001f, 4.0f), 1.0f, 1e-4);
    EXPECT_NEAR(wordOpacity(2.0f + 4.0f / 1.3f, 4.0f), 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(wordOpacity(10.0f, 4.0f), 0.0f);
    EXPECT_FLOAT_EQ(wordOpacity(-1.0f, 4.0f), 0.0f);
    EXPECT_NEAR(wordOpacity(2.4999f, 5.0f), 0.6f, 1e-4);  // "concern"
}

TEST(Words, CuesAreTheEightWordsInOrder) {
    const char* words[] = {"countdown", "cubics", "concern", "face",
                           "insane",    "name",   "you",     "mirror"};
    for (int i = 0; i < 8; ++i)
        EXPECT_STREQ(wordCues[i].word, words[i]);
    EXPECT_EQ(wordCues[2].duration, 5.0f);
    EXPECT_EQ(wordCues[7].start, 101.0f);
}

TEST(ClockReadout, TwoDecimalsAndARampToFourTenths) {
    EXPECT_EQ(clockReadoutText(100.01f), "100.01");
    EXPECT_EQ(clockReadoutText(104.37f), "104.37");
    EXPECT_EQ(clockReadoutText(109.999f), "110.00");
    EXPECT_FLOAT_EQ(clockReadoutBrightness(99.0f), 0.0f);
    EXPECT_FLOAT_EQ(clockReadoutBrightness(101.0f), 0.2f);
    EXPECT_FLOAT_EQ(clockReadoutBrightness(102.0f), 0.4f);
    EXPECT_FLOAT_EQ(clockReadoutBrightness(125.0f), 0.4f);
}

TEST(FogText, IsFortyEightWordsOfPlainText) {
    const std::string text = fogText;
    EXPECT_EQ(text.size(), 246u);
    int words = 1, capitals = 0;
    size_t longest = 0, current = 0;
    std::vector<size_t> capitalWords;
    for (size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : ' ';
        if (c == ' ') {
            if (i < text.size()) ++words;
            longest = std::max(longest, current);
            if (capitals > 0) capitalWords.push_back(current);
            EXPECT_TRUE(capitals == 0 || capitals == static_cast<int>(current));
            current = 0;
            capitals = 0;
            continue;
        }
        ASSERT_TRUE((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) << "at " << i;
        if (c >= 'A' && c <= 'Z') ++capitals;
        ++current;
    }
    EXPECT_EQ(words, 48);
    EXPECT_EQ(longest, 10u);
    EXPECT_EQ(capitalWords, (std::vector<size_t>{10, 3}));
    EXPECT_EQ(text.find("  "), std::string::npos);
    EXPECT_STREQ(creditLine, "drub+pemdra&co.");
}

}  // namespace
}  // namespace tev
