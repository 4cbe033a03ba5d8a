#include <gtest/gtest.h>

#include <atomic>
#include <system_error>
#include <vector>

#include "commands/Commands.h"
#include "escape/FastEngine.h"
#include "escape/ThreadPool.h"
#include "support/HeadlessFigure.h"

namespace galleri {
namespace {

// Makes every thread from worker `first` on fail to start, as a machine
// without memory for another stack would; undone at the end of the scope.
struct FailingThreads {
    explicit FailingThreads(int first) {
        ThreadPool::SetStartHook([first](int worker) {
            if (worker >= first) {
                throw std::system_error(
                    std::make_error_code(std::errc::resource_unavailable_try_again));
            }
        });
    }
    ~FailingThreads() { ThreadPool::SetStartHook(nullptr); }
};

// Counts which workers ran the task.
struct Tally {
    std::vector<std::atomic<int>> runs = std::vector<std::atomic<int>>(8);
    void operator()(int worker) { ++runs[worker]; }
    int Workers() const {
        int n = 0;
        for (const auto& r : runs) {
            n += r > 0;
        }
        return n;
    }
};

// A thread that cannot start leaves the pool with the ones that did, which
// run their tasks; nothing waits for the missing one, and the pool ends.
TEST(ThreadPool, RunsWithTheThreadsThatStarted) {
    struct Case {
        int pool, failFrom, asked, reached;
    };
    for (const Case c : {Case{4, 99, 4, 4}, Case{4, 2, 4, 2}, Case{4, 0, 4, 0}, Case{8, 99, 3, 3},
                         Case{3, 1, 2, 1}}) {
        const FailingThreads failing(c.failFrom);
        ThreadPool pool(c.pool);
        Tally tally;
        EXPECT_EQ(pool.Run(tally, c.asked), c.reached) << c.pool << " " << c.failFrom;
        pool.Wait();
        EXPECT_EQ(tally.Workers(), c.reached);
        EXPECT_EQ(pool.Workers(), c.failFrom < c.asked ? c.reached : c.pool);
        // Asked again, the pool neither waits for nor retries a missing thread.
        EXPECT_EQ(pool.Run(tally, c.pool), std::min(c.pool, c.failFrom));
        pool.Wait();
    }
}

// Every figure of the plane draws the reference's picture whether all, some
// or none of the engine's threads could start (none: the calling thread
// computes alone).
TEST(ThreadPool, EngineDrawsTheSamePictureWithMissingThreads) {
    for (const char* figure : {"m_1", "j_2", "jd_7", "mandelphoenix", "binary decomposition"}) {
        ScalarEngine scalar;
        const Bitmap expected = testsupport::DrawCommand(figure, 61, 47, &scalar);
        for (int failFrom : {0, 1, 2}) {
            for (bool watched : {true, false}) {
                const FailingThreads failing(failFrom);
                FastEngine fast(3);
                fast.SetPixelsPerThread(1);
                testsupport::HeadlessFigure f(61, 47);
                f.platform.watched = watched;
                f.surface.SetEngine(&fast);
                f.Run(figure);
                EXPECT_TRUE(f.Picture() == expected)
                    << figure << ", threads from " << failFrom << " missing, watched " << watched;
            }
        }
    }
}

}  // namespace
}  // namespace galleri
