// What a PulseAudio server says of the sound this process plays through it:
// without a server, and against a private PulseAudio with a null sink,
// started here as the end-to-end harness starts it.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "embedded.h"
#include "platform/native/child_process.h"
#include "platform/native/pulse_latency.h"
#include "platform/sound.h"
#include "temp_dir.h"

namespace {

namespace platform = tev::platform;
using std::chrono::milliseconds;

// Without a server to ask, the latency is not known (and nothing waits for
// one or starts one).
TEST(PulseLatencyTest, UnknownWithoutAServer) {
    tev::test::TempDir dir;
    const std::string server = "unix:" + dir.file("no-server");
    setenv("PULSE_SERVER", server.c_str(), 1);
    EXPECT_FALSE(platform::pulsePlaybackLatency(4, std::chrono::milliseconds(10),
                                                std::chrono::milliseconds(200)));
    unsetenv("PULSE_SERVER");
}

// An environment variable set for one test and put back afterwards.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// A private PulseAudio server with a null sink, its socket, runtime and
// state in a folder of its own, and this process its client (through SDL's
// PulseAudio driver too), as tests/e2e/lib.sh sets one up.
class PulseLatencyServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (platform::findOnPath("pulseaudio").empty()) {
            GTEST_SKIP() << "pulseaudio is not installed (scripts/deps installs it)";
        }
        const std::string folder = dir.path().string();
        writeText(dir.file("client.conf"), "autospawn = no\nenable-shm = no\n");
        std::filesystem::create_directory(dir.file("runtime"));
        std::filesystem::create_directory(dir.file("state"));
        env.push_back(std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", folder));
        env.push_back(std::make_unique<ScopedEnv>("PULSE_RUNTIME_PATH", dir.file("runtime")));
        env.push_back(std::make_unique<ScopedEnv>("PULSE_STATE_PATH", dir.file("state")));
        env.push_back(std::make_unique<ScopedEnv>("PULSE_CLIENTCONFIG", dir.file("client.conf")));
        env.push_back(std::make_unique<ScopedEnv>("PULSE_SERVER", "unix:" + dir.file("native")));
        env.push_back(std::make_unique<ScopedEnv>("SDL_AUDIODRIVER", "pulseaudio"));
        // No session bus and no display for the server: it would try to
        // start one.
        std::string error;
        server = platform::ChildProcess::start(
            {"env", "-u", "DISPLAY", "HOME=" + folder,
             "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent", "pulseaudio", "-n",
             "--daemonize=no", "--disable-shm=yes", "--use-pid-file=no", "--exit-idle-time=-1",
             "--log-target=file:" + dir.file("log"), "-L",
             "module-null-sink sink_name=tev rate=44100 format=s16le channels=2", "-L",
             "module-native-protocol-unix auth-anonymous=1 socket=" + dir.file("native")},
            &error);
        ASSERT_TRUE(server) << error;
        // Its socket answers once the sink, loaded first, is there.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (platform::probePulseServer(milliseconds(1000), {}) !=
               platform::PulseServer::Answers) {
            ASSERT_LT(std::chrono::steady_clock::now(), giveUp)
                << "the PulseAudio server did not start: " << tev::test::readText(dir.file("log"));
            std::this_thread::sleep_for(milliseconds(100));
        }
    }
    void TearDown() override {
        platform::soundClose();
        if (server) server->kill();
        env.clear();
    }
    static void writeText(const std::string& path, const std::string& text) {
        std::FILE* file = std::fopen(path.c_str(), "w");
        ASSERT_NE(file, nullptr) << path;
        std::fputs(text.c_str(), file);
        std::fclose(file);
    }

    tev::test::TempDir dir;
    std::vector<std::unique_ptr<ScopedEnv>> env;
    std::unique_ptr<platform::ChildProcess> server;
};

TEST_F(PulseLatencyServerTest, OurPlayingStreamHasThePlausibleLatencyTheServerReports) {
    // A server that answers, with no stream of this process: nothing to tell.
    EXPECT_FALSE(platform::pulsePlaybackLatency(4, milliseconds(10), milliseconds(2000)));

    ASSERT_EQ(platform::soundOpen({}), platform::SoundOpen::Opened) << platform::soundOpenFailure();
    const platform::SoundHandle song =
        platform::soundLoadSong(tev::embedded::music, tev::embedded::musicSize);
    ASSERT_NE(song, 0u);
    ASSERT_TRUE(platform::soundPlaySong(song));

    bool granted = true;
    const std::optional<double> latency =
        platform::pulsePlaybackLatency(8, milliseconds(100), milliseconds(5000), &granted);
    ASSERT_TRUE(latency.has_value()) << "no figure for the stream SDL plays";
    EXPECT_TRUE(platform::plausibleLatency(*latency)) << *latency;
    EXPECT_FALSE(granted) << "PulseAudio's own figure, not the buffer it granted";

    // Once the output is closed the server has no stream of ours again.
    platform::soundClose();
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (platform::pulsePlaybackLatency(1, milliseconds(0), milliseconds(2000))) {
        ASSERT_LT(std::chrono::steady_clock::now(), giveUp) << "our stream outlived the output";
        std::this_thread::sleep_for(milliseconds(50));
    }
}

}  // namespace
