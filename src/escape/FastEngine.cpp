#include "escape/FastEngine.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

#include "escape/FastKernels.h"
#include "escape/ThreadPool.h"

namespace galleri {

namespace {

// Pixels a kernel takes from the block at a time: small enough to share the
// heavy columns out evenly, large enough that taking them costs nothing.
constexpr int kChunk = 64;

// Most iterations a pixel gets: Count grows by countStep and is tested
// against the limit before each iteration, so n iterations run while
// n * countStep < limit.
int64_t IterationBudget(const EscapeParams& params) {
    if (params.limit <= 0) {
        return 0;
    }
    const int64_t step = params.countStep;
    return (params.limit + step - 1) / step;
}

using KernelFn = void (*)(const KernelJob&);

KernelFn KernelFor(SimdPath path) {
    switch (path) {
        case SimdPath::Avx512:
            return RunKernelAvx512;
        case SimdPath::Avx2:
            return RunKernelAvx2;
        case SimdPath::Auto:
        case SimdPath::Portable:
            break;
    }
    return RunKernelPortable;
}

int DefaultThreads() {
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

}  // namespace

bool NextPixels(PixelSource& source, int& begin, int& end) {
    const int b = source.next.fetch_add(source.chunk, std::memory_order_relaxed);
    if (b >= source.total) {
        return false;
    }
    begin = b;
    end = std::min(b + source.chunk, source.total);
    return true;
}

const char* SimdPathName(SimdPath path) {
    switch (path) {
        case SimdPath::Auto:
            return "auto";
        case SimdPath::Avx512:
            return "avx512";
        case SimdPath::Avx2:
            return "avx2";
        case SimdPath::Portable:
            return "portable";
    }
    return "?";
}

bool SimdPathSupported(SimdPath path) {
    switch (path) {
        case SimdPath::Avx512:
#if defined(__x86_64__) || defined(__i386__)
            return __builtin_cpu_supports("avx512f");
#else
            return false;
#endif
        case SimdPath::Avx2:
#if defined(__x86_64__) || defined(__i386__)
            return __builtin_cpu_supports("avx2");
#else
            return false;
#endif
        case SimdPath::Auto:
        case SimdPath::Portable:
            return true;
    }
    return false;
}

FastEngine::FastEngine(int threads, SimdPath path) {
    SetThreads(threads);
    SetPath(path);
}

FastEngine::~FastEngine() = default;

void FastEngine::SetThreads(int threads) {
    const int n = threads > 0 ? threads : DefaultThreads();
    if (n != threads_) {
        pool_.reset();  // started again, with the new size, when first needed
        threads_ = n;
    }
}

void FastEngine::SetPath(SimdPath path) {
    if (path == SimdPath::Auto) {
        path = SimdPathSupported(SimdPath::Avx512) ? SimdPath::Avx512
               : SimdPathSupported(SimdPath::Avx2) ? SimdPath::Avx2
                                                   : SimdPath::Portable;
    }
    if (!SimdPathSupported(path)) {
        throw std::invalid_argument(std::string("this CPU cannot run the ") + SimdPathName(path) +
                                    " kernel");
    }
    path_ = path;
}

void FastEngine::ComputeColumns(const EscapeParams& params, const ScanGrid& grid, int first,
                                int count, uint32_t* out) {
    const int total = count * grid.rows;
    const int64_t budget = params.countStep == 0 ? 0 : IterationBudget(params);
    if (total <= 0) {
        return;
    }
    // Without a single iteration (or with a counter that never grows) there
    // is nothing to vectorise: the reference does it.
    if (budget <= 0 || budget > (int64_t{1} << 52)) {
        ScalarEngine().ComputeColumns(params, grid, first, count, out);
        return;
    }

    PixelSource source;
    source.total = total;
    source.chunk = kChunk;
    KernelJob job;
    job.params = &params;
    job.columnRe = grid.columnRe.data() + first;
    job.rowIm = grid.rowIm.data();
    job.rows = grid.rows;
    job.iterations = budget;
    job.out = out;
    job.source = &source;
    const KernelFn kernel = KernelFor(path_);

    if (threads_ <= 1 || total <= kChunk) {
        kernel(job);
        return;
    }
    if (!pool_) {
        pool_ = std::make_unique<ThreadPool>(threads_);
    }
    auto task = [&](int) { kernel(job); };
    pool_->Run(task);
}

FastEngine& DefaultFastEngine() {
    static FastEngine engine;
    return engine;
}

}  // namespace galleri
