#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace galleri {

// Up to a fixed number of worker threads that run one task: Run(task, n)
// has workers 0..n-1 each call task(worker) once more, waking only those.
// A worker's thread starts the first time it is asked for; a thread that
// cannot start (no memory for its stack, too many threads) is left out and
// the pool goes on with the workers it has, possibly none. The caller is
// free while the workers run; Wait() returns once all of them are idle.
class ThreadPool {
  public:
    explicit ThreadPool(int workers);
    ~ThreadPool();
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    // Workers the pool can still have: the number asked for, until a thread
    // fails to start.
    int Workers() const;

    // Has workers 0..count-1 run the task once more after this call (a busy
    // worker runs it again when it is done). The task must stay the same
    // object until Wait() returns. Returns how many workers it reached.
    template <class Task>
    int Run(Task& task, int count) {
        return RunRaw([](void* t, int worker) { (*static_cast<Task*>(t))(worker); }, &task, count);
    }
    void Wait();

    // Called with the worker's number before each thread starts; a test
    // throws std::system_error here to play a thread that cannot start.
    static void SetStartHook(std::function<void(int)> hook);

  private:
    struct Worker {
        std::condition_variable wake;
        bool pending = false;  // asked to run the task (again)
        bool running = false;
    };

    int RunRaw(void (*fn)(void*, int), void* context, int count);
    bool StartLocked(int worker);
    void Loop(Worker& self, int worker);

    mutable std::mutex mutex_;
    std::condition_variable idle_;
    int capacity_;
    int busy_ = 0;  // workers running or asked to run
    bool quit_ = false;
    void (*fn_)(void*, int) = nullptr;
    void* context_ = nullptr;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::vector<std::thread> threads_;
};

}  // namespace galleri
