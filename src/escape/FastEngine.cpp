#include "escape/FastEngine.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "escape/FastKernels.h"
#include "escape/ThreadPool.h"

namespace galleri {

namespace {

// Pixels a kernel takes from the block at a time: small enough to share the
// heavy columns out evenly, large enough that taking them costs nothing.
constexpr int kChunk = 64;
constexpr int kMinChunk = 8;

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

// During a scan, blocks cheaper than this are handed to the threads several
// at a time, up to about this much work, so that waking the threads and
// waiting for the last pixels of a hand-over stay a small part of it. Bounded
// in blocks (work dropped when the scan stops) and in columns (memory).
constexpr double kAheadSeconds = 4e-3;
constexpr int kMaxAheadBlocks = 16;
constexpr int kMaxAheadColumns = 256;

double Seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
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
    // Runs shrink towards the end of the block, so that no thread is left
    // with a long run of heavy pixels while the others have nothing to do.
    int b = source.next.load(std::memory_order_relaxed);
    int run = 0;
    do {
        if (b >= source.total) {
            return false;
        }
        run = std::clamp((source.total - b) / 16, kMinChunk, source.chunk);
    } while (!source.next.compare_exchange_weak(b, b + run, std::memory_order_relaxed));
    begin = b;
    end = std::min(b + run, source.total);
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

// A block handed to the pool: where its pixels come from, what the kernel
// needs and, for a block computed ahead, where its colours wait.
struct FastEngine::Block {
    PixelSource source;
    KernelJob job;
    KernelFn kernel = nullptr;
    int first = 0;
    int count = 0;
    std::vector<uint32_t> colours;
    void operator()(int) { kernel(job); }
};

FastEngine::FastEngine(int threads, SimdPath path) : ahead_(std::make_unique<Block>()) {
    SetThreads(threads);
    SetPath(path);
}

FastEngine::~FastEngine() {
    DropAhead();
}

void FastEngine::SetThreads(int threads) {
    const int n = threads > 0 ? threads : DefaultThreads();
    if (n != threads_) {
        DropAhead();
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
    DropAhead();
    path_ = path;
}

ThreadPool& FastEngine::Pool() {
    if (!pool_) {
        pool_ = std::make_unique<ThreadPool>(threads_);
    }
    return *pool_;
}

void FastEngine::Prepare(Block& block, const EscapeParams& params, const ScanGrid& grid, int first,
                         int count, int64_t budget, uint32_t* out) {
    block.first = first;
    block.count = count;
    block.source.total = count * grid.rows;
    block.source.chunk = kChunk;
    block.source.next.store(0, std::memory_order_relaxed);
    block.job.params = &params;
    block.job.columnRe = grid.columnRe.data() + first;
    block.job.rowIm = grid.rowIm.data();
    block.job.rows = grid.rows;
    block.job.iterations = budget;
    block.job.out = out;
    block.job.source = &block.source;
    block.kernel = KernelFor(path_);
}

void FastEngine::ComputeNow(const EscapeParams& params, const ScanGrid& grid, int first, int count,
                            int64_t budget, uint32_t* out) {
    Block block;
    Prepare(block, params, grid, first, count, budget, out);
    if (threads_ <= 1 || block.source.total <= kChunk) {
        block(0);
        return;
    }
    ThreadPool& pool = Pool();
    pool.Start(block);
    pool.Wait();
}

void FastEngine::DropAhead() {
    if (aheadState_ == Ahead::Running) {
        // No more pixels are handed out; the lanes in flight finish.
        ahead_->source.next.store(ahead_->source.total, std::memory_order_relaxed);
        pool_->Wait();
    }
    aheadState_ = Ahead::None;
}

void FastEngine::BeginScan() {
    DropAhead();
    inScan_ = true;
    columnSeconds_ = 0;
}

void FastEngine::EndScan() {
    DropAhead();
    inScan_ = false;
}

void FastEngine::StartAhead(const EscapeParams& params, const ScanGrid& grid, int first,
                            int blockColumns, int64_t budget) {
    // Blocks that take well under the cost of waking the threads are
    // computed several at a time.
    int blocks = 1;
    const double blockSeconds = columnSeconds_ * blockColumns;
    if (blockSeconds > 0 && blockSeconds < kAheadSeconds) {
        blocks = static_cast<int>(std::min(kAheadSeconds / blockSeconds, double{kMaxAheadBlocks}));
    }
    const int columns = std::min({std::max(1, blocks) * blockColumns,
                                  std::max(blockColumns, kMaxAheadColumns), grid.columns - first});
    std::vector<uint32_t>& colours = ahead_->colours;
    if (colours.size() < static_cast<size_t>(columns) * grid.rows) {
        colours.resize(static_cast<size_t>(columns) * grid.rows);
    }
    Prepare(*ahead_, params, grid, first, columns, budget, colours.data());
    aheadStarted_ = Seconds();
    Pool().Start(*ahead_);
    aheadState_ = Ahead::Running;
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
    if (!inScan_) {
        ComputeNow(params, grid, first, count, budget, out);
        return;
    }

    const int aheadEnd = ahead_->first + ahead_->count;
    if (aheadState_ != Ahead::None && first >= ahead_->first && first + count <= aheadEnd) {
        if (aheadState_ == Ahead::Running) {
            pool_->Wait();
            columnSeconds_ = (Seconds() - aheadStarted_) / ahead_->count;
            aheadState_ = Ahead::Ready;
        }
        const auto from = ahead_->colours.begin() +
                          static_cast<std::ptrdiff_t>(first - ahead_->first) * grid.rows;
        std::copy(from, from + total, out);
        if (first + count < aheadEnd) {
            return;  // the next block is ready too
        }
        aheadState_ = Ahead::None;
    } else {
        DropAhead();
        const double started = Seconds();
        ComputeNow(params, grid, first, count, budget, out);
        columnSeconds_ = (Seconds() - started) / count;
    }

    // The scan asks for the following blocks, of the same size, next.
    if (first + count < grid.columns) {
        StartAhead(params, grid, first + count, count, budget);
    }
}

FastEngine& DefaultFastEngine() {
    static FastEngine engine;
    return engine;
}

}  // namespace galleri
