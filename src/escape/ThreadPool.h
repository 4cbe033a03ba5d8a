#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace galleri {

// A small set of threads that run one task together: Start(task) calls
// task(worker) on every thread, Wait() returns when all have finished. The
// caller is free in between. The threads live as long as the pool and sleep
// between tasks.
class ThreadPool {
  public:
    explicit ThreadPool(int workers);
    ~ThreadPool();
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    int Workers() const { return static_cast<int>(threads_.size()); }

    // The task must outlive the matching Wait(); one task at a time.
    template <class Task>
    void Start(Task& task) {
        StartRaw([](void* t, int worker) { (*static_cast<Task*>(t))(worker); }, &task);
    }
    void Wait();

  private:
    void StartRaw(void (*fn)(void*, int), void* context);
    void Loop(int worker);

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    uint64_t generation_ = 0;
    int pending_ = 0;
    bool quit_ = false;
    void (*fn_)(void*, int) = nullptr;
    void* context_ = nullptr;
};

}  // namespace galleri
