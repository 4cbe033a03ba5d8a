#pragma once

#include <atomic>
#include <memory>

#include "escape/EscapeScan.h"
#include "escape/FastKernels.h"

namespace galleri {

class ColumnStream;
class ThreadPool;

// The instruction set the fast engine's kernel runs on.
enum class SimdPath {
    Auto,      // the widest the CPU has
    Avx512,    // 8 doubles per vector
    Avx2,      // 4 doubles per vector
    Portable,  // the compiler's generic vectors, any CPU
};

const char* SimdPathName(SimdPath path);
// Whether this CPU (and this build) can run the path; Auto always can.
bool SimdPathSupported(SimdPath path);

// Computes the columns of a block on several threads at once, each thread
// running a vectorised kernel over pixels it takes from the block in small
// runs (so heavy columns are shared out). The colours are exactly those of
// the scalar reference. During a scan the workers compute the following
// blocks ahead without pausing between them, while the scan writes the
// current one and handles messages; a scan that stops drops that work at
// once. Only as many threads as a block can use are woken. Used from one
// thread at a time.
class FastEngine : public EscapeEngine {
  public:
    // threads 0: one per core.
    explicit FastEngine(int threads = 0, SimdPath path = SimdPath::Auto);
    ~FastEngine() override;

    void SetThreads(int threads);
    int Threads() const { return threads_; }
    // Chooses the instruction set; a path the CPU lacks is refused with
    // std::invalid_argument.
    void SetPath(SimdPath path);
    SimdPath Path() const { return path_; }  // resolved, never Auto
    // A block of n pixels wakes at most one thread per this many pixels
    // (at least one thread): waking a thread for less work costs more than
    // it gains. Tests set 1 to give every thread a share of small blocks.
    void SetPixelsPerThread(int pixels);
    // What the kernels did so far (for tests and benchmarks): pixels, the
    // iterations they ran, and the pixels that ended on a cycle before their
    // budget.
    const KernelStats& Stats() const { return stats_; }
    int64_t CyclesFound() const { return stats_.cycles.load(std::memory_order_relaxed); }

    void ComputeColumns(const EscapeParams& params, const ScanGrid& grid, int first, int count,
                        uint32_t* out) override;
    const uint32_t* Columns(const EscapeParams& params, const ScanGrid& grid, int first, int count,
                            std::vector<uint32_t>& buffer) override;
    void BeginScan() override;
    void EndScan() override;

  private:
    struct Block;
    int Crew(int64_t pixels) const;
    // The next block of the scan from the workers computing ahead; null
    // outside a scan, at its last block or without workers.
    const uint32_t* Streamed(const EscapeParams& params, const ScanGrid& grid, int first, int count,
                             int64_t budget);
    void ComputeNow(const EscapeParams& params, const ScanGrid& grid, int first, int count,
                    int64_t budget, uint32_t* out);
    ThreadPool& Pool();

    int threads_ = 0;
    int pixelsPerThread_;
    SimdPath path_ = SimdPath::Portable;
    std::unique_ptr<ThreadPool> pool_;
    std::unique_ptr<ColumnStream> stream_;
    bool inScan_ = false;
    KernelStats stats_;
};

// The engine of every surface that names none: one fast engine for the
// process, with a thread per core.
FastEngine& DefaultFastEngine();

}  // namespace galleri
