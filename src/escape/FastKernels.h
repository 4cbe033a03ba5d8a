#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "escape/EscapeKernels.h"

namespace galleri {

// Hands out runs of pixel indices to the kernels of all threads. Pixel k is
// column k / rows, row k % rows of the job. Runs end below `limit`, which a
// scan raises as it takes the finished columns (and lowers to 0 to stop),
// and never cross a multiple of blockPixels.
struct PixelSource {
    std::atomic<int64_t> next{0};
    std::atomic<int64_t> limit{0};
    int64_t total = 0;
    int64_t blockPixels = 0;  // 0: one block
    int chunk = 64;
};

// Takes the next run [begin, end); false when none is left below the limit.
// Kept out of line so the kernels, compiled for other instruction sets,
// share it.
bool NextPixels(PixelSource& source, int64_t& begin, int64_t& end);

// Finished pixels per block of a scan computed ahead: block b of the job is
// pixels [b * blockPixels, (b + 1) * blockPixels) (the source's blocks) and
// counts in slot b % count.
// The thread that completes a block wakes whoever waits for it.
struct BlockProgress {
    struct Slot {
        std::atomic<int64_t> done{0};
        int64_t target = 0;  // pixels of the block that the slot counts now
    };
    Slot* slotArray = nullptr;  // not "slots", which Qt defines as a macro
    int count = 0;
    int64_t blockPixels = 0;
    std::mutex mutex;
    std::condition_variable completed;
};

// Adds n finished pixels to a slot's block. Out of line, like NextPixels.
void PixelsDone(BlockProgress& progress, int slot, int64_t n);

// What kernels did, added up when each ends.
struct KernelStats {
    std::atomic<int64_t> pixels{0};      // pixels finished
    std::atomic<int64_t> iterations{0};  // iterations they ran
    std::atomic<int64_t> cycles{0};      // of them, pixels that ended on a cycle
};

// One job for a kernel: the points, the iteration budget and where the
// colours go. Pixel k's colour goes to out[k % ringPixels]: a scan computed
// ahead writes into a ring of whole blocks, anything else into one block.
struct KernelJob {
    const EscapeParams* params = nullptr;
    const double* columnRe = nullptr;  // real parts of the job's columns
    const double* rowIm = nullptr;     // imaginary parts of the rows
    int rows = 0;
    int64_t iterations = 0;  // most iterations a pixel gets, at least 1
    uint32_t* out = nullptr;
    int64_t ringPixels = 0;
    PixelSource* source = nullptr;
    BlockProgress* progress = nullptr;  // null: nobody counts
    KernelStats* stats = nullptr;       // null: not counted
};

// Computes pixels from the source until it is used up. Each path exists only
// where the compiler supports it; call a path only when the CPU has it.
void RunKernelAvx512(const KernelJob& job);
void RunKernelAvx2(const KernelJob& job);
void RunKernelPortable(const KernelJob& job);
using KernelFn = void (*)(const KernelJob&);

}  // namespace galleri
