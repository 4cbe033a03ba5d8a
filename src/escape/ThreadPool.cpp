#include "escape/ThreadPool.h"

namespace galleri {

ThreadPool::ThreadPool(int workers) {
    for (int w = 0; w < workers; ++w) {
        threads_.emplace_back([this, w] { Loop(w); });
    }
}

ThreadPool::~ThreadPool() {
    Wait();
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) {
        t.join();
    }
}

void ThreadPool::StartRaw(void (*fn)(void*, int), void* context) {
    {
        std::lock_guard lock(mutex_);
        fn_ = fn;
        context_ = context;
        pending_ = static_cast<int>(threads_.size());
        ++generation_;
    }
    wake_.notify_all();
}

void ThreadPool::Wait() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return pending_ == 0; });
}

void ThreadPool::Loop(int worker) {
    uint64_t seen = 0;
    while (true) {
        void (*fn)(void*, int) = nullptr;
        void* context = nullptr;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return quit_ || generation_ != seen; });
            if (quit_) {
                return;
            }
            seen = generation_;
            fn = fn_;
            context = context_;
        }
        fn(context, worker);
        {
            std::lock_guard lock(mutex_);
            if (--pending_ == 0) {
                done_.notify_all();
            }
        }
    }
}

}  // namespace galleri
