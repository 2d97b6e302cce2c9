#include "platform/pulse_latency.h"

#include <pulse/pulseaudio.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <thread>

namespace tev::platform {
namespace {

using Clock = std::chrono::steady_clock;

// One reading: the latency of each of our playback streams, summed.
struct Reading {
    std::string pid;
    double seconds = 0.0;
    int streams = 0;
};

void onSinkInput(pa_context*, const pa_sink_input_info* info, int last, void* user) {
    if (last != 0 || info == nullptr) return;
    auto* reading = static_cast<Reading*>(user);
    const char* pid = pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID);
    if (pid == nullptr || reading->pid != pid || info->corked != 0) return;
    reading->seconds += static_cast<double>(info->buffer_usec + info->sink_usec) * 1e-6;
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

    bool connect() {
        if (context_ == nullptr ||
            pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            return false;
        }
        while (true) {
            const pa_context_state_t state = pa_context_get_state(context_);
            if (state == PA_CONTEXT_READY) return true;
            if (!PA_CONTEXT_IS_GOOD(state) || !step()) return false;
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
    // Runs the loop once; false when the deadline has passed or the loop failed.
    bool step() {
        const auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline_ - Clock::now());
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
                                           std::chrono::milliseconds bound) {
    if (samples <= 0) return std::nullopt;
    const auto spacing = samples > 1 ? spread / (samples - 1) : spread;
    Connection connection(Clock::now() + bound);
    if (!connection.connect()) return std::nullopt;
    double highest = 0.0;
    for (int k = 0; k < samples; ++k) {
        if (k > 0) std::this_thread::sleep_for(spacing);
        Reading reading;
        reading.pid = std::to_string(getpid());
        if (!connection.read(reading) || reading.streams == 0) return std::nullopt;
        highest = std::max(highest, reading.seconds / reading.streams);
    }
    return highest;
}

}  // namespace tev::platform
