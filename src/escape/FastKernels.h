#pragma once

#include <atomic>
#include <cstdint>

#include "escape/EscapeKernels.h"

namespace galleri {

// Hands out runs of pixel indices of one block to the kernels of all
// threads. Pixel k of a block is column k / rows, row k % rows.
struct PixelSource {
    std::atomic<int> next{0};
    int total = 0;
    int chunk = 64;
};

// Takes the next run [begin, end); false when the block is used up. Kept out
// of line so the kernels, compiled for other instruction sets, share it.
bool NextPixels(PixelSource& source, int& begin, int& end);

// One block of columns for a kernel: the points, the iteration budget and
// where the colours go (out[k] for pixel k).
struct KernelJob {
    const EscapeParams* params = nullptr;
    const double* columnRe = nullptr;  // real parts of the block's columns
    const double* rowIm = nullptr;     // imaginary parts of the rows
    int rows = 0;
    int64_t iterations = 0;  // most iterations a pixel gets, at least 1
    uint32_t* out = nullptr;
    PixelSource* source = nullptr;
};

// Computes pixels from the source until it is used up. Each path exists only
// where the compiler supports it; call a path only when the CPU has it.
void RunKernelAvx512(const KernelJob& job);
void RunKernelAvx2(const KernelJob& job);
void RunKernelPortable(const KernelJob& job);

}  // namespace galleri
