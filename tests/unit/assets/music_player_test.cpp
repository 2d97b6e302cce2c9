// The music player over real SDL audio drivers and libopenmpt: SDL's disk
// driver writes what the callback produced to a file, the dummy driver
// plays into nothing, and an unknown driver name has no device at all.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "assets/music_player.h"
#include "embedded.h"
#include "module_audio.h"
#include "platform/sound.h"
#include "temp_dir.h"

namespace {

using tev::MusicPlayer;
namespace platform = tev::platform;

std::vector<uint8_t> showModule() {
    return {tev::embedded::music, tev::embedded::music + tev::embedded::musicSize};
}

void useDriver(const char* name) {
    setenv("SDL_AUDIODRIVER", name, 1);
}

// libopenmpt's own 16-bit render, played once to its end.
std::vector<int16_t> referenceRender(const std::vector<uint8_t>& bytes) {
    return tev::test::renderModule(bytes.data(), bytes.size());
}

// The show's module ended after its first order (4 s), where the pads
// still sound: a player that fades past the end, or loops, shows here.
std::vector<uint8_t> firstOrderOnly() {
    std::vector<uint8_t> bytes = showModule();
    bytes[0xC0 + 1] = 255;  // end of song after order 0
    return bytes;
}

using tev::test::readPcm;

size_t firstNonZero(const std::vector<int16_t>& pcm) {
    size_t i = 0;
    while (i < pcm.size() && pcm[i] == 0)
        ++i;
    return i & ~size_t(1);  // the frame's left sample
}

// Checks that `written` holds silence, then `reference` from its first
// sound on (up to `frames` frames of it, all when 0), within one step.
void expectSameMusic(const std::vector<int16_t>& written, const std::vector<int16_t>& reference,
                     size_t frames) {
    const size_t w0 = firstNonZero(written), r0 = firstNonZero(reference);
    ASSERT_LT(w0, written.size()) << "the device wrote only silence";
    ASSERT_GE(w0, r0) << "sound before the song began";
    const size_t offset = w0 - r0;
    const size_t count = frames == 0 ? reference.size() : std::min(reference.size(), 2 * frames);
    ASSERT_GE(written.size(), offset + count) << "the device stopped early";
    size_t mismatches = 0;
    for (size_t i = 0; i < count; ++i) {
        if (std::abs(int(written[offset + i]) - int(reference[i])) > 1 && mismatches++ < 5) {
            ADD_FAILURE() << "sample " << i << ": wrote " << written[offset + i] << ", expected "
                          << reference[i];
        }
    }
    EXPECT_EQ(mismatches, 0u);
}

// Waits while `keepWaiting` holds, up to a bound that only guards the
// test against hanging.
template <typename Predicate>
bool waitWhile(Predicate keepWaiting) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    while (keepWaiting()) {
        if (std::chrono::steady_clock::now() > giveUp) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class MusicPlayerTest : public ::testing::Test {
  protected:
    void TearDown() override { player.closeSound(); }
    MusicPlayer player;
};

TEST_F(MusicPlayerTest, DeviceGetsTheSongOnceAndEachCycleStartsItAgain) {
    tev::test::TempDir dir;
    const std::string file = dir.file("device.raw");
    useDriver("disk");
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);  // faster than real time

    // A song to its end, stopping on its last row: then only silence.
    const std::vector<uint8_t> shortSong = firstOrderOnly();
    const std::vector<int16_t> shortReference = referenceRender(shortSong);
    ASSERT_FALSE(shortReference.empty());
    tev::startShowMusic(player, shortSong.data(), uint32_t(shortSong.size()));
    ASSERT_NE(player.songHandle, 0u);
    ASSERT_TRUE(waitWhile([&] { return platform::soundSongPlaying(player.songHandle); }));
    player.closeSound();
    const std::vector<int16_t> written = readPcm(file);
    expectSameMusic(written, shortReference, 0);
    const size_t end = firstNonZero(written) - firstNonZero(shortReference) + shortReference.size();
    for (size_t i = end; i < written.size(); ++i) {
        ASSERT_EQ(written[i], 0) << "sound after the end of the song";
    }

    // The show's module in two display cycles: each from its beginning.
    const std::vector<int16_t> reference = referenceRender(showModule());
    for (int cycle = 0; cycle < 2; ++cycle) {
        tev::startShowMusic(player, tev::embedded::music, tev::embedded::musicSize);
        ASSERT_EQ(player.playMode, 1);
        ASSERT_TRUE(waitWhile([&] { return readPcm(file).size() < 2 * 44100 * 5; }));
        player.closeSound();
        expectSameMusic(readPcm(file), reference, 3 * 44100);
    }
}

// The show clock starts when the music's first sample is heard: the player
// says when that is, counted from when the device took the song. With no
// sound server the output's latency is one buffer of the device.
TEST_F(MusicPlayerTest, SaysWhenTheFirstSampleIsHeard) {
    useDriver("dummy");
    ASSERT_TRUE(player.tryInitSound());
    EXPECT_EQ(platform::soundSongHeardIn(), 0.0) << "no song started yet";

    const double buffer = 2048.0 / 44100.0;
    const double heardIn =
        tev::startShowMusic(player, tev::embedded::music, tev::embedded::musicSize).value();
    // Counted from a moment already past: at most one buffer ahead, and it
    // draws nearer as time goes by.
    EXPECT_GT(heardIn, buffer - 1.0);
    EXPECT_LE(heardIn, buffer);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_LT(platform::soundSongHeardIn(), heardIn);

    // Started again: counted anew from the new start.
    const auto before = std::chrono::steady_clock::now();
    ASSERT_EQ(player.play(), 1);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count();
    EXPECT_GT(platform::soundSongHeardIn(), buffer - elapsed - 1e-3);

    player.closeSound();
    EXPECT_EQ(platform::soundSongHeardIn(), 0.0) << "the output closed";
}

TEST_F(MusicPlayerTest, DamagedModulesLoadAsNothingAndPlayNothing) {
    useDriver("dummy");
    ASSERT_TRUE(player.tryInitSound());
    player.setPlayMode(1);
    const std::vector<uint8_t> intact = showModule();

    std::vector<std::vector<uint8_t>> damaged;
    for (size_t length :
         {size_t(4), size_t(191), size_t(1000), intact.size() / 2, intact.size() - 1}) {
        damaged.emplace_back(intact.begin(), intact.begin() + long(length));
    }
    damaged.push_back(intact);
    damaged.back()[0] = 'X';  // no magic
    damaged.push_back(intact);
    std::memset(damaged.back().data() + 0xC0, 0x7F, 256);  // tables point far past the end
    std::vector<uint8_t> noise(4096);
    uint32_t state = 1;
    for (uint8_t& byte : noise)
        byte = uint8_t((state = state * 1103515245u + 12345u) >> 16);
    damaged.push_back(noise);

    for (size_t i = 0; i < damaged.size(); ++i) {
        player.songHandle = platform::soundLoadSong(damaged[i].data(), uint32_t(damaged[i].size()));
        EXPECT_EQ(player.songHandle, 0u) << "damaged module " << i << " loaded";
        EXPECT_EQ(player.play(), 0) << "damaged module " << i << " played";
    }
    EXPECT_EQ(platform::soundLoadSong(nullptr, 0), 0u);

    // The intact module, for contrast, loads and plays on the same device.
    player.songHandle = platform::soundLoadSong(intact.data(), uint32_t(intact.size()));
    EXPECT_NE(player.songHandle, 0u);
    EXPECT_EQ(player.play(), 1);
    EXPECT_TRUE(platform::soundSongPlaying(player.songHandle));
}

TEST_F(MusicPlayerTest, ShowMusicWithADamagedModuleLeavesTheShowSilent) {
    useDriver("dummy");
    const std::vector<uint8_t> cut(tev::embedded::music, tev::embedded::music + 2000);
    EXPECT_EQ(tev::startShowMusic(player, cut.data(), uint32_t(cut.size())), 0.0)
        << "silence is heard at once";
    EXPECT_EQ(player.playMode, 1);
    EXPECT_EQ(player.songHandle, 0u);
}

TEST_F(MusicPlayerTest, HandlesFromAnEarlierCycleNameNothing) {
    useDriver("dummy");
    tev::startShowMusic(player, tev::embedded::music, tev::embedded::musicSize);
    const uint32_t first = player.songHandle;
    ASSERT_NE(first, 0u);
    player.closeSound();
    tev::startShowMusic(player, tev::embedded::music, tev::embedded::musicSize);
    EXPECT_NE(player.songHandle, first);
    EXPECT_TRUE(platform::soundSongPlaying(player.songHandle));
    player.songHandle = first;
    EXPECT_EQ(player.play(), 0);
}

TEST_F(MusicPlayerTest, StreamModeClosesTheOutputWhenNoStreamPlays) {
    useDriver("dummy");
    ASSERT_TRUE(player.tryInitSound());
    player.songHandle = platform::soundLoadSong(tev::embedded::music, tev::embedded::musicSize);
    player.setPlayMode(0);
    EXPECT_EQ(player.play(), 0);
    // Closed: the song went with the output.
    player.setPlayMode(1);
    EXPECT_EQ(player.play(), 0);
    // Sample modes ignore their sample's fate.
    player.setPlayMode(2);
    EXPECT_EQ(player.play(), 1);
}

TEST_F(MusicPlayerTest, UnknownDriverFailsToInitialiseWithoutEndingTheProcess) {
    useDriver("no-such-driver");
    EXPECT_FALSE(player.tryInitSound());
    player.setPlayMode(1);
    player.songHandle = platform::soundLoadSong(tev::embedded::music, tev::embedded::musicSize);
    EXPECT_EQ(player.play(), 0);  // no output to play on
}

TEST(MusicPlayerDeathTest, FailedInitPrintsErrorOnInitAndExitsWithOne) {
    tev::test::TempDir dir;
    const std::string out = dir.file("stdout.txt");
    EXPECT_EXIT(
        {
            useDriver("no-such-driver");
            if (std::freopen(out.c_str(), "w", stdout) == nullptr) std::_Exit(3);
            MusicPlayer player;
            player.initSound();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(1),
        // The cause and the way round it, beside the fixed text.
        "tev-intro: no sound output: .*no-such-driver.*--no-sound\n$");
    EXPECT_EQ(tev::test::readText(out), "error on init!\n");
}

}  // namespace
