// The sound layer against PulseAudio servers that are not there or do not
// answer, and its judgement of the latencies servers report. A server that
// has stopped is a socket that takes connections and never answers: the
// kernel queues them for the listening process whether it runs or not.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/native/pulse_latency.h"
#include "platform/sound.h"
#include "temp_dir.h"

namespace {

namespace platform = tev::platform;
using platform::PulseServer;
using std::chrono::milliseconds;

// A listening socket that never accepts: a stopped server.
class SilentServer {
  public:
    explicit SilentServer(const std::string& path) {
        fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        listening_ = fd_ >= 0 &&
                     bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                     listen(fd_, 8) == 0;
    }
    ~SilentServer() {
        if (fd_ >= 0) close(fd_);
    }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;
    bool listening() const { return listening_; }

  private:
    int fd_ = -1;
    bool listening_ = false;
};

class SoundServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(silent.listening());
        setenv("PULSE_SERVER", ("unix:" + dir.file("silent")).c_str(), 1);
    }
    void TearDown() override {
        platform::soundClose();
        unsetenv("PULSE_SERVER");
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("PULSE_LATENCY_MSEC");
    }
    tev::test::TempDir dir;
    SilentServer silent{dir.file("silent")};
};

TEST_F(SoundServerTest, ProbeTellsAbsentSilentAndAbandonedServersApart) {
    setenv("PULSE_SERVER", ("unix:" + dir.file("nobody")).c_str(), 1);
    EXPECT_EQ(platform::probePulseServer(milliseconds(2000), {}), PulseServer::Absent);

    setenv("PULSE_SERVER", ("unix:" + dir.file("silent")).c_str(), 1);
    EXPECT_EQ(platform::probePulseServer(milliseconds(300), {}), PulseServer::Silent);

    // The caller is asked while the server keeps silent, and can end it.
    int asked = 0;
    EXPECT_EQ(platform::probePulseServer(milliseconds(60000), [&] { return ++asked < 3; }),
              PulseServer::Abandoned);
    EXPECT_EQ(asked, 3);
}

// A stopped server fails the opening within the bound (SDL alone would wait
// on it for half a minute) and leaves nothing open; a caller that stops
// waiting ends it at once, with nothing open either.
TEST_F(SoundServerTest, StoppedServerFailsTheOpeningOrTheCallerEndsIt) {
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    EXPECT_EQ(platform::soundOpen([] { return false; }), platform::SoundOpen::Abandoned);
    EXPECT_EQ(platform::soundOpen({}), platform::SoundOpen::Failed);
    EXPECT_FALSE(platform::soundSongPlaying(1));
    EXPECT_NE(platform::soundOpenFailure().find("did not answer within 4 s"), std::string::npos)
        << platform::soundOpenFailure();

    // With a driver that is not PulseAudio the server is not asked at all.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(platform::soundOpen([] { return false; }), platform::SoundOpen::Opened);
    EXPECT_EQ(platform::soundOpenFailure(), "") << "a reason left from the failed opening";
}

// Why an opening failed, as the viewer reads it: no server to ask and
// SDL's own reason, or SDL's reason alone when the server was not to be asked.
TEST_F(SoundServerTest, FailedOpeningSaysWhy) {
    setenv("PULSE_SERVER", ("unix:" + dir.file("nobody")).c_str(), 1);
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    EXPECT_EQ(platform::soundOpen({}), platform::SoundOpen::Failed);
    const std::string noServer = platform::soundOpenFailure();
    EXPECT_EQ(noServer.rfind("no PulseAudio or PipeWire server to connect to; ", 0), 0u)
        << noServer;
    EXPECT_GT(noServer.size(), std::strlen("no PulseAudio or PipeWire server to connect to; "))
        << "SDL's reason is missing";
    EXPECT_EQ(noServer.find('\n'), std::string::npos) << "one line";

    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(platform::soundOpen({}), platform::SoundOpen::Failed);
    const std::string noDriver = platform::soundOpenFailure();
    EXPECT_NE(noDriver.find("no-such-driver"), std::string::npos) << noDriver;
    EXPECT_EQ(noDriver.find("PulseAudio"), std::string::npos) << noDriver;
}

TEST(SoundLatencyTest, ZeroOrOverASecondIsNotTrusted) {
    EXPECT_FALSE(platform::plausibleLatency(0.0)) << "PipeWire's figure";
    EXPECT_FALSE(platform::plausibleLatency(-0.01));
    EXPECT_TRUE(platform::plausibleLatency(1e-6));
    EXPECT_TRUE(platform::plausibleLatency(0.5));
    EXPECT_TRUE(platform::plausibleLatency(1.0));
    EXPECT_FALSE(platform::plausibleLatency(1.001));
    EXPECT_FALSE(platform::plausibleLatency(4294.967295)) << "an unsigned -1 in microseconds";
}

// What PulseAudio is asked to hold, which is also what the show takes as
// the latency when the server's own figure is not plausible.
TEST(SoundLatencyTest, QueueIsASecondUnlessTheUserSaysOtherwise) {
    unsetenv("PULSE_LATENCY_MSEC");
    EXPECT_DOUBLE_EQ(platform::soundQueueSeconds(), 1.0);
    setenv("PULSE_LATENCY_MSEC", "250", 1);
    EXPECT_DOUBLE_EQ(platform::soundQueueSeconds(), 0.25);
    for (const char* unreadable : {"", "0", "-5", "12ms", "x"}) {
        setenv("PULSE_LATENCY_MSEC", unreadable, 1);
        EXPECT_DOUBLE_EQ(platform::soundQueueSeconds(), 1.0) << '"' << unreadable << '"';
    }
    unsetenv("PULSE_LATENCY_MSEC");
}

}  // namespace
