#include "frame_writer.h"

namespace tev::capture {

FrameWriter::FrameWriter(platform::ChildProcess& program, size_t depth)
    : program_(program), depth_(depth > 0 ? depth : 1), thread_([this] { run(); }) {}

FrameWriter::~FrameWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

std::vector<uint8_t> FrameWriter::buffer() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queued_.size() + writing_ < depth_ || failed_; });
    if (spare_.empty()) return {};
    std::vector<uint8_t> frame = std::move(spare_.back());
    spare_.pop_back();
    return frame;
}

bool FrameWriter::submit(std::vector<uint8_t> frame) {
    {
        std::lock_guard lock(mutex_);
        if (failed_) return false;
        queued_.push_back(std::move(frame));
    }
    changed_.notify_all();
    return true;
}

bool FrameWriter::drain() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return (queued_.empty() && writing_ == 0) || failed_; });
    return !failed_;
}

std::string FrameWriter::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

void FrameWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !queued_.empty() || stopping_; });
        if (stopping_) return;
        std::vector<uint8_t> frame = std::move(queued_.front());
        queued_.pop_front();
        if (failed_) {  // the program is gone: nothing more goes to it
            spare_.push_back(std::move(frame));
            changed_.notify_all();
            continue;
        }
        ++writing_;
        lock.unlock();
        std::string why;
        const bool written = program_.write(frame.data(), frame.size(), &why);
        lock.lock();
        --writing_;
        spare_.push_back(std::move(frame));
        if (!written && !failed_) {
            failed_ = true;
            error_ = why;
        }
        changed_.notify_all();
    }
}

}  // namespace tev::capture
