#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "escape/EscapeScan.h"
#include "escape/FastKernels.h"

namespace galleri {

class ThreadPool;

// The columns of a scan computed ahead by the pool's workers, without a
// pause between blocks: the workers take pixels from one source that runs
// through all remaining columns, and write them into a ring of blocks of the
// scan's block size. The scan takes the blocks in order; each block it takes
// frees its place for a block further on. So the workers only wait when the
// ring is full, and the ring's columns bound the memory.
class ColumnStream {
  public:
    // Columns the ring holds at most (at least two blocks, about a quarter
    // of the scan's columns when that is less).
    static constexpr int kRingColumns = 128;

    ColumnStream() = default;
    ~ColumnStream() { Stop(); }
    ColumnStream(const ColumnStream&) = delete;
    ColumnStream& operator=(const ColumnStream&) = delete;

    // Starts at column `first` with blocks of blockColumns columns, on
    // `workers` workers of the pool. False, with nothing started, when not
    // one worker could start.
    bool Start(ThreadPool& pool, int workers, KernelFn kernel, const EscapeParams& params,
               const ScanGrid& grid, int64_t iterations, int first, int blockColumns,
               KernelStats* stats = nullptr);
    bool Active() const { return pool_ != nullptr; }
    // Whether the scan's next block is [first, first + count) of this scan.
    bool IsNext(const EscapeParams& params, const ScanGrid& grid, int first, int count) const;
    // Gives the place of the block taken last to a later block, waits for
    // the next block and returns its colours (column after column), valid
    // until the next call or Stop.
    const uint32_t* TakeNext();
    // Drops the work ahead: the lanes in flight finish, nothing new starts.
    void Stop();

    void operator()(int) { kernel_(job_); }

  private:
    int64_t BlockPixels(int64_t block) const;
    void Release(int64_t block);

    ThreadPool* pool_ = nullptr;
    int workers_ = 0;
    KernelFn kernel_ = nullptr;
    const EscapeParams* params_ = nullptr;
    const ScanGrid* grid_ = nullptr;
    int first_ = 0;
    int blockColumns_ = 0;
    int64_t blocks_ = 0;  // in the stream
    int64_t taken_ = 0;   // blocks the scan has taken
    std::vector<uint32_t> ring_;
    std::unique_ptr<BlockProgress::Slot[]> slots_;
    BlockProgress progress_;
    PixelSource source_;
    KernelJob job_;
};

}  // namespace galleri
