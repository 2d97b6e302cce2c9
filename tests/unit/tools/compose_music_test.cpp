// The show's module as libopenmpt plays it: what a listener gets.

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "embedded.h"
#include "temp_dir.h"

namespace {

constexpr int kRate = 44100;

// Where the show changes, and so must the music.
constexpr double kSectionStarts[] = {0.0, 10.0, 13.5, 20.0, 40.0, 45.0, 46.0, 76.0, 100.0, 109.5};

struct Render {
    std::string tracker;
    std::string warnings;
    double duration = 0.0;
    std::vector<float> pcm;           // interleaved stereo
    std::vector<double> orderStarts;  // seconds, as the render reached each order
};

std::string metadata(openmpt_module* module, const char* key) {
    const char* value = openmpt_module_get_metadata(module, key);
    std::string text = value ? value : "";
    openmpt_free_string(value);
    return text;
}

Render renderModule() {
    Render r;
    openmpt_module* module = openmpt_module_create_from_memory2(
        tev::embedded::music, tev::embedded::musicSize, openmpt_log_func_silent, nullptr,
        openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr);
    if (module == nullptr) return r;
    openmpt_module_ctl_set_text(module, "play.at_end", "stop");
    r.tracker = metadata(module, "tracker");
    r.warnings = metadata(module, "warnings");
    r.duration = openmpt_module_get_duration_seconds(module);
    // Small blocks, so an order change is placed to within 1.5 ms.
    constexpr size_t kBlock = 64;
    std::vector<float> block(2 * kBlock);
    int order = -1;
    for (;;) {
        const double at = double(r.pcm.size() / 2) / kRate;
        const size_t frames =
            openmpt_module_read_interleaved_float_stereo(module, kRate, kBlock, block.data());
        if (frames == 0) break;
        if (openmpt_module_get_current_order(module) != order) {
            order = openmpt_module_get_current_order(module);
            r.orderStarts.push_back(at);
        }
        r.pcm.insert(r.pcm.end(), block.begin(), block.begin() + long(2 * frames));
    }
    openmpt_module_destroy(module);
    return r;
}

const Render& render() {
    static const Render r = renderModule();
    return r;
}

double seconds(const Render& r) {
    return double(r.pcm.size() / 2) / kRate;
}

double rmsDb(const std::vector<float>& pcm, double from, double to) {
    const size_t a = size_t(from * kRate) * 2, b = std::min(pcm.size(), size_t(to * kRate) * 2);
    double sum = 0.0;
    for (size_t i = a; i < b; ++i)
        sum += double(pcm[i]) * pcm[i];
    return 10.0 * std::log10(sum / double(std::max<size_t>(1, b - a)) + 1e-30);
}

TEST(ShowModule, LoadsAsACleanImpulseTrackerSongOfTheShowsLength) {
    ASSERT_LT(tev::embedded::musicSize, 64u * 1024u);
    const Render& r = render();
    ASSERT_FALSE(r.pcm.empty()) << "libopenmpt refused the module";
    EXPECT_EQ(r.tracker, "Impulse Tracker 2.14");
    EXPECT_EQ(r.warnings, "");
    EXPECT_GE(r.duration, 130.0);
    EXPECT_LE(r.duration, 132.0);
    // Played once with a stop at the end, the render is exactly that long.
    EXPECT_GE(seconds(r), 130.0);
    EXPECT_LE(seconds(r), 132.0);
}

TEST(ShowModule, NeverClipsAndStaysBelowMinusOneDecibel) {
    const Render& r = render();
    ASSERT_FALSE(r.pcm.empty());
    float peak = 0.0f;
    for (float v : r.pcm)
        peak = std::max(peak, std::abs(v));
    EXPECT_LT(peak, 1.0f);
    EXPECT_LT(20.0 * std::log10(peak), -1.0);
}

TEST(ShowModule, NoFiveSecondsOfTheShowAreSilent) {
    const Render& r = render();
    ASSERT_GE(seconds(r), 130.0);
    for (double t = 0.0; t + 5.0 <= 130.0; t += 0.5) {
        EXPECT_GT(rmsDb(r.pcm, t, t + 5.0), -50.0) << "silent from " << t << " s";
    }
}

TEST(ShowModule, SectionsStartWhereTheShowChanges) {
    const Render& r = render();
    for (double planned : kSectionStarts) {
        double nearest = 1e9;
        for (double at : r.orderStarts) {
            if (std::abs(at - planned) < std::abs(nearest - planned)) nearest = at;
        }
        EXPECT_NEAR(nearest, planned, 0.050) << "no section starts near " << planned << " s";
    }
}

TEST(ShowModule, EndsWithNothingLeftRinging) {
    const Render& r = render();
    ASSERT_GE(seconds(r), 130.4);
    // The last chord fades out and is cut before the song's final rows.
    float tail = 0.0f;
    for (size_t i = size_t(130.3 * kRate) * 2; i < r.pcm.size(); ++i) {
        tail = std::max(tail, std::abs(r.pcm[i]));
    }
    EXPECT_LT(tail, 1e-3f);
    // ...after a last chord that is really heard.
    EXPECT_GT(rmsDb(r.pcm, 128.0, 129.0), -30.0);
}

// Read by libopenmpt's own decoder rather than the composer's: every played
// row carries its speed (8 on even rows, 7 on odd ones, on the first two
// channels), and every note names a sample the song has.
TEST(ShowModule, EveryPlayedRowDecodesWithItsSpeedAndKnownSamples) {
    openmpt_module* module = openmpt_module_create_from_memory2(
        tev::embedded::music, tev::embedded::musicSize, openmpt_log_func_silent, nullptr,
        openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(module, nullptr);
    auto effect = [&](int pattern, int row, int channel) {
        const char* text = openmpt_module_format_pattern_row_channel_command(
            module, pattern, row, channel, OPENMPT_MODULE_COMMAND_EFFECT);
        std::string letter = text ? text : "";
        openmpt_free_string(text);
        return letter;
    };
    const int samples = openmpt_module_get_num_samples(module);
    const int channels = openmpt_module_get_num_channels(module);
    int songRow = 0;
    for (int order = 0; order < openmpt_module_get_num_orders(module); ++order) {
        const int pattern = openmpt_module_get_order_pattern(module, order);
        if (pattern >= openmpt_module_get_num_patterns(module)) break;
        for (int row = 0; row < openmpt_module_get_pattern_num_rows(module, pattern); ++row) {
            const bool even = songRow % 2 == 0;
            const int speedChannel = even ? 0 : 1;
            EXPECT_EQ(effect(pattern, row, speedChannel), "A")
                << "order " << order << " row " << row;
            EXPECT_EQ(openmpt_module_get_pattern_row_channel_command(
                          module, pattern, row, speedChannel, OPENMPT_MODULE_COMMAND_PARAMETER),
                      even ? 8 : 7);
            for (int ch = 0; ch < channels; ++ch) {
                EXPECT_LE(openmpt_module_get_pattern_row_channel_command(
                              module, pattern, row, ch, OPENMPT_MODULE_COMMAND_INSTRUMENT),
                          samples);
            }
            ++songRow;
            if (effect(pattern, row, 2) == "C") break;
        }
    }
    openmpt_module_destroy(module);
    // Rows of 1/8 s from the first to the last.
    EXPECT_GE(songRow / 8.0, 130.0);
    EXPECT_LE(songRow / 8.0, 132.0);
}

TEST(ShowModule, ComposerWritesTheSameBytesEveryRun) {
    tev::test::TempDir dir;
    const std::string composer = "../tools/tev-compose-music";
    for (const char* name : {"first.it", "second.it"}) {
        const std::string command = composer + " " + dir.file(name) + " > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const std::vector<uint8_t> bytes = tev::test::readFile(dir.file(name));
        const std::vector<uint8_t> embedded(tev::embedded::music,
                                            tev::embedded::music + tev::embedded::musicSize);
        EXPECT_EQ(bytes, embedded) << name;
    }
}

}  // namespace
