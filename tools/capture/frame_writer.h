#pragma once
// Frames handed to a program's standard input by a thread of their own, a
// few at a time, so that drawing goes on while the encoder catches up.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/native/child_process.h"

namespace tev::capture {

class FrameWriter {
  public:
    // At most `depth` frames wait for the program at any time.
    FrameWriter(platform::ChildProcess& program, size_t depth);
    ~FrameWriter();  // stops the thread; frames still waiting are dropped
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // A buffer to draw the next frame into (waits while `depth` frames are
    // waiting). Its old contents are of no use.
    std::vector<uint8_t> buffer();

    // Queues the frame; false once a write has failed (see error()).
    bool submit(std::vector<uint8_t> frame);

    // Waits until every queued frame is written; false if a write failed.
    bool drain();

    std::string error() const;

  private:
    void run();

    platform::ChildProcess& program_;
    const size_t depth_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<uint8_t>> queued_;
    std::vector<std::vector<uint8_t>> spare_;
    size_t writing_ = 0;  // frames taken off the queue and not yet written
    bool stopping_ = false;
    bool failed_ = false;
    std::string error_;
    std::thread thread_;
};

}  // namespace tev::capture
