#include "escape/ColumnStream.h"

#include <algorithm>

#include "escape/ThreadPool.h"

namespace galleri {

void PixelsDone(BlockProgress& progress, int slot, int64_t n) {
    BlockProgress::Slot& s = progress.slotArray[slot];
    // Read before the count is published: once the block is complete its
    // slot may be handed to a later block.
    const int64_t target = s.target;
    if (s.done.fetch_add(n, std::memory_order_acq_rel) + n == target) {
        { const std::lock_guard lock(progress.mutex); }
        progress.completed.notify_all();
    }
}

bool ColumnStream::Start(ThreadPool& pool, int workers, KernelFn kernel, const EscapeParams& params,
                         const ScanGrid& grid, int64_t iterations, int first, int blockColumns,
                         KernelStats* stats) {
    Stop();
    const int64_t rows = grid.rows;
    const int columns = grid.columns - first;
    blocks_ = (columns + blockColumns - 1) / blockColumns;
    // At most kRingColumns and, in a narrow picture, about a quarter of its
    // columns; at least two blocks, so that the workers can go on while the
    // scan writes one.
    const int ringBlocks = static_cast<int>(std::min<int64_t>(
        std::clamp<int64_t>(kRingColumns / blockColumns, 2, std::max<int64_t>(2, blocks_ / 4)),
        blocks_));
    kernel_ = kernel;
    params_ = &params;
    grid_ = &grid;
    first_ = first;
    blockColumns_ = blockColumns;
    taken_ = 0;

    progress_.blockPixels = blockColumns * rows;
    progress_.count = ringBlocks;
    slots_ = std::make_unique<BlockProgress::Slot[]>(static_cast<size_t>(ringBlocks));
    progress_.slotArray = slots_.get();
    for (int b = 0; b < ringBlocks; ++b) {
        slots_[b].target = BlockPixels(b);
    }
    ring_.assign(static_cast<size_t>(ringBlocks * progress_.blockPixels), 0);

    source_.total = columns * rows;
    source_.blockPixels = progress_.blockPixels;
    source_.next.store(0, std::memory_order_relaxed);
    source_.limit.store(std::min(ringBlocks * progress_.blockPixels, source_.total),
                        std::memory_order_release);
    job_.params = &params;
    job_.columnRe = grid.columnRe.data() + first;
    job_.rowIm = grid.rowIm.data();
    job_.rows = grid.rows;
    job_.iterations = iterations;
    job_.out = ring_.data();
    job_.ringPixels = static_cast<int64_t>(ring_.size());
    job_.source = &source_;
    job_.progress = &progress_;
    job_.stats = stats;

    pool_ = &pool;
    workers_ = workers;
    if (pool.Run(*this, workers) == 0) {
        pool_ = nullptr;
        ring_ = {};
        slots_.reset();
        return false;
    }
    return true;
}

bool ColumnStream::IsNext(const EscapeParams& params, const ScanGrid& grid, int first,
                          int count) const {
    return Active() && &params == params_ && &grid == grid_ && taken_ < blocks_ &&
           first == first_ + taken_ * blockColumns_ &&
           count == std::min(blockColumns_, grid.columns - first);
}

int64_t ColumnStream::BlockPixels(int64_t block) const {
    const int64_t columns =
        std::min<int64_t>(blockColumns_, grid_->columns - first_ - block * blockColumns_);
    return columns * grid_->rows;
}

const uint32_t* ColumnStream::TakeNext() {
    if (taken_ > 0) {
        Release(taken_ - 1);
    }
    const int slot = static_cast<int>(taken_ % progress_.count);
    BlockProgress::Slot& s = slots_[slot];
    {
        std::unique_lock lock(progress_.mutex);
        progress_.completed.wait(
            lock, [&] { return s.done.load(std::memory_order_acquire) == s.target; });
    }
    ++taken_;
    return ring_.data() + slot * progress_.blockPixels;
}

void ColumnStream::Release(int64_t block) {
    // The block's place counts the block a whole ring further on, and the
    // workers may go that far; those that ran dry go on, busy ones look
    // again when they run dry.
    const int64_t later = block + progress_.count;
    if (later >= blocks_) {
        return;
    }
    BlockProgress::Slot& s = slots_[block % progress_.count];
    s.done.store(0, std::memory_order_relaxed);
    s.target = BlockPixels(later);
    source_.limit.store(std::min(later * progress_.blockPixels + s.target, source_.total),
                        std::memory_order_release);
    pool_->Run(*this, workers_);
}

void ColumnStream::Stop() {
    if (!Active()) {
        return;
    }
    source_.limit.store(0, std::memory_order_release);
    pool_->Wait();
    pool_ = nullptr;
    ring_ = {};
    slots_.reset();
}

}  // namespace galleri
