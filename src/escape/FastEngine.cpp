#include "escape/FastEngine.h"

#include <algorithm>
#include <stdexcept>
#include <thread>
#include <vector>

#include "escape/ColumnStream.h"
#include "escape/FastKernels.h"
#include "escape/PlaneFigure.h"
#include "escape/ThreadPool.h"

namespace galleri {

namespace {

// Pixels a kernel takes from the block at a time: small enough to share the
// heavy columns out evenly, large enough that taking them costs nothing.
constexpr int kChunk = 64;
constexpr int kMinChunk = 8;

// Pixels worth waking one more thread for: a thread's lanes hold about 50
// pixels in flight, so with fewer than this it spends much of its time
// starting and finishing.
constexpr int kPixelsPerThread = 4096;

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

bool NextPixels(PixelSource& source, int64_t& begin, int64_t& end) {
    // Runs shrink towards the end of the scan, so that no thread is left
    // with a long run of heavy pixels while the others have nothing to do.
    int64_t b = source.next.load(std::memory_order_relaxed);
    int64_t stop = 0;
    int64_t run = 0;
    do {
        stop = std::min(source.limit.load(std::memory_order_acquire), source.total);
        if (b >= stop) {
            return false;
        }
        if (source.blockPixels > 0) {
            stop = std::min(stop, (b / source.blockPixels + 1) * source.blockPixels);
        }
        run = std::min(std::clamp<int64_t>((source.total - b) / 16, kMinChunk, source.chunk),
                       stop - b);
    } while (!source.next.compare_exchange_weak(b, b + run, std::memory_order_relaxed));
    begin = b;
    end = b + run;
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

// A block computed at once, outside a scan or without workers.
struct FastEngine::Block {
    PixelSource source;
    KernelJob job;
    KernelFn kernel = nullptr;
    void operator()(int) { kernel(job); }
};

FastEngine::FastEngine(int threads, SimdPath path)
    : pixelsPerThread_(kPixelsPerThread), stream_(std::make_unique<ColumnStream>()) {
    SetThreads(threads);
    SetPath(path);
}

FastEngine::~FastEngine() {
    stream_->Stop();
}

void FastEngine::SetThreads(int threads) {
    const int n = threads > 0 ? threads : DefaultThreads();
    if (n != threads_) {
        stream_->Stop();
        pool_.reset();  // made again, with the new size, when first needed
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
    stream_->Stop();
    path_ = path;
}

void FastEngine::SetPixelsPerThread(int pixels) {
    pixelsPerThread_ = std::max(pixels, 1);
}

ThreadPool& FastEngine::Pool() {
    if (!pool_) {
        pool_ = std::make_unique<ThreadPool>(threads_);
    }
    return *pool_;
}

int FastEngine::Crew(int64_t pixels) const {
    const int64_t wanted = (pixels + pixelsPerThread_ - 1) / pixelsPerThread_;
    return static_cast<int>(std::clamp<int64_t>(wanted, 1, threads_));
}

void FastEngine::ComputeNow(const EscapeParams& params, const ScanGrid& grid, int first, int count,
                            int64_t budget, uint32_t* out) {
    Block block;
    block.source.total = int64_t{count} * grid.rows;
    block.source.chunk = kChunk;
    block.source.limit.store(block.source.total, std::memory_order_relaxed);
    block.job.params = &params;
    block.job.columnRe = grid.columnRe.data() + first;
    block.job.rowIm = grid.rowIm.data();
    block.job.rows = grid.rows;
    block.job.iterations = budget;
    block.job.out = out;
    block.job.ringPixels = block.source.total;
    block.job.source = &block.source;
    block.job.stats = &stats_;
    block.kernel = KernelFor(path_);
    // The calling thread computes too.
    const int helpers = Crew(block.source.total) - 1;
    const int woken = helpers > 0 ? Pool().Run(block, helpers) : 0;
    block(0);
    if (woken > 0) {
        pool_->Wait();
    }
}

void FastEngine::BeginScan() {
    stream_->Stop();
    inScan_ = true;
}

void FastEngine::EndScan() {
    stream_->Stop();
    inScan_ = false;
}

namespace {

// Without a single iteration (or with a counter that never grows) there is
// nothing to vectorise: the reference does it.
bool LeftToReference(int64_t budget) {
    return budget <= 0 || budget > (int64_t{1} << 52);
}

}  // namespace

const uint32_t* FastEngine::Streamed(const EscapeParams& params, const ScanGrid& grid, int first,
                                     int count, int64_t budget) {
    if (!inScan_) {
        return nullptr;
    }
    if (!stream_->IsNext(params, grid, first, count)) {
        // The scan asks for the following blocks, of the same size, next:
        // the workers compute them ahead from here on.
        stream_->Stop();
        if (first + count < grid.columns) {
            stream_->Start(Pool(), Crew(int64_t{count} * grid.rows), KernelFor(path_), params, grid,
                           budget, first, count, &stats_);
        }
    }
    // Not active at the scan's last block, or when no worker could start.
    return stream_->Active() ? stream_->TakeNext() : nullptr;
}

void FastEngine::ComputeColumns(const EscapeParams& params, const ScanGrid& grid, int first,
                                int count, uint32_t* out) {
    const int64_t budget = Budget(params);
    if (count <= 0 || grid.rows <= 0) {
        return;
    }
    if (LeftToReference(budget)) {
        ScalarEngine().ComputeColumns(params, grid, first, count, out);
    } else if (const uint32_t* colours = Streamed(params, grid, first, count, budget)) {
        std::copy(colours, colours + int64_t{count} * grid.rows, out);
    } else {
        ComputeNow(params, grid, first, count, budget, out);
    }
}

const uint32_t* FastEngine::Columns(const EscapeParams& params, const ScanGrid& grid, int first,
                                    int count, std::vector<uint32_t>& buffer) {
    const int64_t budget = Budget(params);
    if (count > 0 && grid.rows > 0 && !LeftToReference(budget)) {
        if (const uint32_t* colours = Streamed(params, grid, first, count, budget)) {
            return colours;
        }
    }
    return EscapeEngine::Columns(params, grid, first, count, buffer);
}

FastEngine& DefaultFastEngine() {
    static FastEngine engine;
    return engine;
}

}  // namespace galleri
