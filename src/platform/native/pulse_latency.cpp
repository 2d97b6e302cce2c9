#include "platform/native/pulse_latency.h"

#include <pulse/pulseaudio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>

namespace tev::platform {
namespace {

using Clock = std::chrono::steady_clock;

// One reading: the latency of each of our playback streams, and the buffer
// the server granted it where the server names that, each summed.
struct Reading {
    std::string pid;
    double seconds = 0.0;
    double granted = 0.0;
    int streams = 0;
};

// PipeWire's PulseAudio server names the buffer attributes it settled on
// for a stream among the stream's properties.
constexpr const char* kGrantedLength = "pulse.attr.tlength";

void onSinkInput(pa_context*, const pa_sink_input_info* info, int last, void* user) {
    if (last != 0 || info == nullptr) return;
    auto* reading = static_cast<Reading*>(user);
    const char* pid = pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID);
    if (pid == nullptr || reading->pid != pid || info->corked != 0) return;
    reading->seconds += static_cast<double>(info->buffer_usec + info->sink_usec) * 1e-6;
    const char* length = pa_proplist_gets(info->proplist, kGrantedLength);
    if (length != nullptr && pa_sample_spec_valid(&info->sample_spec) != 0) {
        char* end = nullptr;
        const unsigned long long bytes = std::strtoull(length, &end, 10);
        if (end != length && *end == '\0' && bytes < (1ull << 32)) {
            reading->granted +=
                static_cast<double>(pa_bytes_to_usec(bytes, &info->sample_spec)) * 1e-6;
        }
    }
    ++reading->streams;
}

// A connection with its own main loop, run only while we wait on it, and
// never past the deadline.
class Connection {
  public:
    explicit Connection(Clock::time_point deadline) : deadline_(deadline) {
        loop_ = pa_mainloop_new();
        if (loop_ != nullptr) context_ = pa_context_new(pa_mainloop_get_api(loop_), "tev-intro");
    }
    ~Connection() {
        if (context_ != nullptr) {
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        if (loop_ != nullptr) pa_mainloop_free(loop_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool connect() { return connectWaiting({}) == PulseServer::Answers; }

    // Connects, asking `keepWaiting` (when set) between short runs of the loop.
    PulseServer connectWaiting(const std::function<bool()>& keepWaiting) {
        if (context_ == nullptr ||
            pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            return PulseServer::Absent;
        }
        while (true) {
            const pa_context_state_t state = pa_context_get_state(context_);
            if (state == PA_CONTEXT_READY) return PulseServer::Answers;
            if (!PA_CONTEXT_IS_GOOD(state)) return PulseServer::Absent;
            if (keepWaiting && !keepWaiting()) return PulseServer::Abandoned;
            if (!step(kSlice)) {
                return Clock::now() >= deadline_ ? PulseServer::Silent : PulseServer::Absent;
            }
        }
    }

    // Takes one reading; false when the server did not answer in time.
    bool read(Reading& reading) {
        pa_operation* operation =
            pa_context_get_sink_input_info_list(context_, onSinkInput, &reading);
        if (operation == nullptr) return false;
        bool answered = true;
        while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
            if (!step()) {
                pa_operation_cancel(operation);
                answered = false;
                break;
            }
        }
        pa_operation_unref(operation);
        return answered;
    }

  private:
    static constexpr std::chrono::microseconds kSlice{20000};

    // Runs the loop once, waiting no longer than `slice`; false when the
    // deadline has passed or the loop failed.
    bool step(std::chrono::microseconds slice = std::chrono::microseconds::max()) {
        const auto left = std::min(
            slice, std::chrono::duration_cast<std::chrono::microseconds>(deadline_ - Clock::now()));
        if (left.count() <= 0) return false;
        return pa_mainloop_prepare(loop_, static_cast<int>(left.count())) >= 0 &&
               pa_mainloop_poll(loop_) >= 0 && pa_mainloop_dispatch(loop_) >= 0;
    }

    Clock::time_point deadline_;
    pa_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
};

}  // namespace

std::optional<double> pulsePlaybackLatency(int samples, std::chrono::microseconds spread,
                                           std::chrono::milliseconds bound, bool* granted) {
    if (samples <= 0) return std::nullopt;
    const auto spacing = samples > 1 ? spread / (samples - 1) : spread;
    Connection connection(Clock::now() + bound);
    if (!connection.connect()) return std::nullopt;
    double highest = 0.0;
    double grantedLength = 0.0;
    for (int k = 0; k < samples; ++k) {
        if (k > 0) std::this_thread::sleep_for(spacing);
        Reading reading;
        reading.pid = std::to_string(getpid());
        if (!connection.read(reading) || reading.streams == 0) return std::nullopt;
        highest = std::max(highest, reading.seconds / reading.streams);
        grantedLength = reading.granted / reading.streams;
    }
    if (granted != nullptr) *granted = false;
    if (plausibleLatency(highest)) return highest;
    // A server that counts no latency (PipeWire's) still holds what it
    // granted the stream.
    if (granted != nullptr) *granted = true;
    if (plausibleLatency(grantedLength)) return grantedLength;
    return std::nullopt;
}

bool plausibleLatency(double seconds) {
    return seconds > 0.0 && seconds <= 1.0;
}

PulseServer probePulseServer(std::chrono::milliseconds bound,
                             const std::function<bool()>& keepWaiting) {
    Connection connection(Clock::now() + bound);
    return connection.connectWaiting(keepWaiting);
}

}  // namespace tev::platform
