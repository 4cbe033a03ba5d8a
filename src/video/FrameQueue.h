#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "surface/Bitmap.h"

namespace galleri {

// Hands frames to a consumer (the encoder, or the writer of PNG frames) on
// a thread of its own behind a small queue, so that encoding runs beside
// the drawing: the drawing waits only while the queue is full, and the
// queue holds few frames so that a 4K video needs little memory. What the
// consumer throws comes back from the next Push or from Close. A frame may
// carry a text for the consumer (a PNG frame's Galleri text).
class FrameQueue {
  public:
    using Consume =
        std::function<void(int64_t index, const Bitmap& frame, const std::string& text)>;

    explicit FrameQueue(Consume consume, size_t capacity = 3);
    // Gives up the frames still waiting and stops the thread.
    ~FrameQueue();
    FrameQueue(const FrameQueue&) = delete;
    FrameQueue& operator=(const FrameQueue&) = delete;

    void Push(int64_t index, Bitmap frame, std::string text = {});
    // Waits until every frame pushed is consumed, then stops the thread.
    void Close();
    // Seconds the consumer has spent on frames so far.
    double BusySeconds() const;

  private:
    void Run();
    void RethrowLocked();

    Consume consume_;
    size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    struct Item {
        int64_t index;
        Bitmap frame;
        std::string text;
    };
    std::deque<Item> waiting_;
    bool closing_ = false;
    bool abandon_ = false;
    bool busy_ = false;
    std::exception_ptr failure_;
    double busySeconds_ = 0;
    std::thread thread_;
};

}  // namespace galleri
