// What a PulseAudio server says of the sound this process plays through it.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <string>

#include "platform/native/pulse_latency.h"
#include "temp_dir.h"

namespace {

namespace platform = tev::platform;

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

}  // namespace
