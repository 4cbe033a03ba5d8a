#pragma once

#include <memory>

#include "escape/EscapeScan.h"

namespace galleri {

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

// Computes the columns of a block on all threads at once, each thread
// running a vectorised kernel over pixels it takes from the block in small
// runs (so heavy columns are shared out). The colours are exactly those of
// the scalar reference. During a scan it computes the next block while the
// scan writes the current one and handles messages; a scan that stops drops
// that work at once. Used from one thread at a time.
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

    void ComputeColumns(const EscapeParams& params, const ScanGrid& grid, int first, int count,
                        uint32_t* out) override;
    void BeginScan() override;
    void EndScan() override;

  private:
    struct Block;
    void Prepare(Block& block, const EscapeParams& params, const ScanGrid& grid, int first,
                 int count, int64_t budget, uint32_t* out);
    void ComputeNow(const EscapeParams& params, const ScanGrid& grid, int first, int count,
                    int64_t budget, uint32_t* out);
    void DropAhead();
    void StartAhead(const EscapeParams& params, const ScanGrid& grid, int first, int blockColumns,
                    int64_t budget);
    ThreadPool& Pool();

    int threads_ = 0;
    SimdPath path_ = SimdPath::Portable;
    std::unique_ptr<ThreadPool> pool_;
    bool inScan_ = false;
    // Columns of the scan computed ahead: one or, for cheap figures, several
    // blocks, so that handing work to the threads stays a small part.
    enum class Ahead { None, Running, Ready };
    std::unique_ptr<Block> ahead_;
    Ahead aheadState_ = Ahead::None;
    double aheadStarted_ = 0;   // seconds on the steady clock
    double columnSeconds_ = 0;  // wall time of one column, last measured
};

// The engine of every surface that names none: one fast engine for the
// process, with a thread per core.
FastEngine& DefaultFastEngine();

}  // namespace galleri
