#include "video/FrameQueue.h"

#include <chrono>
#include <utility>

namespace galleri {

FrameQueue::FrameQueue(Consume consume, size_t capacity)
    : consume_(std::move(consume)), capacity_(capacity > 0 ? capacity : 1) {
    thread_ = std::thread([this] { Run(); });
}

FrameQueue::~FrameQueue() {
    {
        const std::lock_guard lock(mutex_);
        abandon_ = true;
        closing_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void FrameQueue::RethrowLocked() {
    if (failure_) {
        std::rethrow_exception(failure_);
    }
}

void FrameQueue::Push(int64_t index, Bitmap frame, std::string text) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.size() < capacity_ || failure_; });
    RethrowLocked();
    waiting_.push_back({index, std::move(frame), std::move(text)});
    changed_.notify_all();
}

void FrameQueue::Close() {
    {
        std::unique_lock lock(mutex_);
        closing_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return (waiting_.empty() && !busy_) || failure_; });
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    const std::lock_guard lock(mutex_);
    RethrowLocked();
}

double FrameQueue::BusySeconds() const {
    const std::lock_guard lock(mutex_);
    return busySeconds_;
}

void FrameQueue::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !waiting_.empty() || closing_; });
        if (abandon_ || failure_ || waiting_.empty()) {
            return;
        }
        Item item = std::move(waiting_.front());
        waiting_.pop_front();
        busy_ = true;
        lock.unlock();
        const auto start = std::chrono::steady_clock::now();
        std::exception_ptr failure;
        try {
            consume_(item.index, item.frame, item.text);
        } catch (...) {
            failure = std::current_exception();
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        lock.lock();
        busy_ = false;
        busySeconds_ += seconds;
        failure_ = failure;
        changed_.notify_all();
        if (failure_) {
            return;
        }
    }
}

}  // namespace galleri
