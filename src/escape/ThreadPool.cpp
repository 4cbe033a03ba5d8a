#include "escape/ThreadPool.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace galleri {

namespace {

std::mutex gHookMutex;
std::function<void(int)> gStartHook;

}  // namespace

void ThreadPool::SetStartHook(std::function<void(int)> hook) {
    std::lock_guard lock(gHookMutex);
    gStartHook = std::move(hook);
}

ThreadPool::ThreadPool(int workers) : capacity_(std::max(workers, 0)) {}

ThreadPool::~ThreadPool() {
    Wait();
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        for (const auto& w : workers_) {
            w->wake.notify_one();
        }
    }
    for (std::thread& t : threads_) {
        t.join();
    }
}

int ThreadPool::Workers() const {
    std::lock_guard lock(mutex_);
    return capacity_;
}

bool ThreadPool::StartLocked(int worker) {
    try {
        {
            std::lock_guard lock(gHookMutex);
            if (gStartHook) {
                gStartHook(worker);
            }
        }
        workers_.push_back(std::make_unique<Worker>());
        Worker& self = *workers_.back();
        try {
            threads_.emplace_back([this, &self, worker] { Loop(self, worker); });
        } catch (...) {
            workers_.pop_back();
            throw;
        }
        return true;
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    // No later worker could start either: the pool keeps the ones it has.
    capacity_ = static_cast<int>(threads_.size());
    return false;
}

int ThreadPool::RunRaw(void (*fn)(void*, int), void* context, int count) {
    std::lock_guard lock(mutex_);
    fn_ = fn;
    context_ = context;
    count = std::min(count, capacity_);
    int reached = 0;
    for (; reached < count; ++reached) {
        if (reached == static_cast<int>(threads_.size()) && !StartLocked(reached)) {
            break;
        }
        Worker& w = *workers_[reached];
        if (!w.running && !w.pending) {
            ++busy_;
            w.wake.notify_one();
        }
        w.pending = true;
    }
    return reached;
}

void ThreadPool::Wait() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return busy_ == 0; });
}

void ThreadPool::Loop(Worker& self, int worker) {
    std::unique_lock lock(mutex_);
    while (true) {
        self.wake.wait(lock, [&] { return quit_ || self.pending; });
        if (quit_) {
            return;
        }
        self.pending = false;
        self.running = true;
        void (*fn)(void*, int) = fn_;
        void* context = context_;
        lock.unlock();
        fn(context, worker);
        lock.lock();
        self.running = false;
        if (!self.pending && --busy_ == 0) {
            idle_.notify_all();
        }
    }
}

}  // namespace galleri
