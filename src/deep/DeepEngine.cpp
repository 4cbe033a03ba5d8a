#include "deep/DeepEngine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <stdexcept>
#include <thread>

#include "escape/ThreadPool.h"

namespace galleri {

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

bool JuliaType(IterationKind kind) {
    return kind == IterationKind::Julia || kind == IterationKind::BinaryDecomposition ||
           kind == IterationKind::JuliaDragon;
}

bool Quadratic(IterationKind kind) {
    return kind == IterationKind::Mandelbrot || kind == IterationKind::Julia ||
           kind == IterationKind::BinaryDecomposition;
}

// How small d^2 must be beside 2Z d for a bilinear step to hold.
constexpr double kStepEpsilon = 0x1p-50;

// Orbits are followed until their squared magnitude reaches this: far
// enough past every figure's escape radius that a pixel near the reference
// is never left without it while it still iterates.
constexpr double kOrbitBailout = 1e6;

}  // namespace

DeepEngine::DeepEngine(int threads)
    : threads_(threads > 0 ? threads
                           : std::max(1, static_cast<int>(std::thread::hardware_concurrency()))) {}

DeepEngine::~DeepEngine() = default;

bool DeepEngine::Prepare(const DeepPicture& picture, const std::atomic<bool>* cancel) {
    picture_ = picture;
    references_.clear();
    critical_ = {};
    criticalSteps_ = {};
    stats_ = {};
    const long viewBits = std::max({picture.left.Precision(), picture.right.Precision(),
                                    picture.bottom.Precision(), picture.top.Precision()});
    BigFloat dw(static_cast<double>(picture.width + picture.divisorExtra), 64);
    BigFloat dh(static_cast<double>(picture.height + picture.divisorExtra), 64);
    const BigFloat left = picture.left.WithPrecision(viewBits);
    const BigFloat spanRe = picture.right.WithPrecision(viewBits) - left;
    const BigFloat spanIm = picture.top.WithPrecision(viewBits) - picture.bottom;
    // Enough bits to tell neighbouring pixels apart at the picture's
    // largest coordinate, and a margin for the orbit's growth.
    const long largest = std::max({picture.left.Exponent(), picture.right.Exponent(),
                                   picture.bottom.Exponent(), picture.top.Exponent(), 2L});
    const long finest = std::min((spanRe / dw).Exponent(), (spanIm / dh).Exponent());
    bits_ = std::max(viewBits, largest - finest + 96);
    stepReBig_ = spanRe.WithPrecision(bits_) / dw;
    stepImBig_ = spanIm.WithPrecision(bits_) / dh;
    stepRe_ = stepReBig_.ToDouble();
    stepIm_ = stepImBig_.ToDouble();
    if (!(std::fabs(stepRe_) > 1e-290 && std::fabs(stepIm_) > 1e-290)) {
        throw std::range_error("the view is too deep: its pixels lie closer than 1e-290");
    }
    const auto start = std::chrono::steady_clock::now();
    references_.push_back(MakeReference(picture.width / 2, picture.height / 2, cancel));
    if (JuliaType(picture.params.kind)) {
        OrbitStart origin{BigFloat(bits_), BigFloat(bits_), true};
        critical_ =
            ComputeReferenceOrbit(picture.params, origin, picture.budget, kOrbitBailout, cancel);
        stats_.orbitIterations += critical_.Last();
        if (Quadratic(picture.params.kind)) {
            const auto tables = std::chrono::steady_clock::now();
            criticalSteps_ = BlaTable(critical_, 0, kStepEpsilon);
            stats_.stepSeconds += Seconds(tables);
            stats_.stepBytes += criticalSteps_.Bytes();
        }
    }
    stats_.orbitSeconds += Seconds(start);
    return cancel == nullptr || !cancel->load();
}

DeepEngine::Reference DeepEngine::MakeReference(int column, int row,
                                                const std::atomic<bool>* cancel) {
    BigFloat re = picture_.left.WithPrecision(bits_) +
                  stepReBig_ * BigFloat(static_cast<double>(column), bits_);
    BigFloat im =
        picture_.top.WithPrecision(bits_) - stepImBig_ * BigFloat(static_cast<double>(row), bits_);
    Reference ref;
    ref.column = column;
    ref.row = row;
    ref.pointRe = re.ToDouble();
    ref.pointIm = im.ToDouble();
    OrbitStart start{std::move(re), std::move(im), false};
    ref.orbit =
        ComputeReferenceOrbit(picture_.params, start, picture_.budget, kOrbitBailout, cancel);
    stats_.orbitIterations += ref.orbit.Last();
    ++stats_.references;
    if (Quadratic(picture_.params.kind)) {
        // The farthest pixel from this reference bounds the parameter's
        // difference (none for the Julia sets).
        const double far =
            std::hypot(std::max(column, picture_.width - column) * std::fabs(stepRe_),
                       std::max(row, picture_.height - row) * std::fabs(stepIm_));
        const auto tables = std::chrono::steady_clock::now();
        ref.steps = BlaTable(ref.orbit, JuliaType(picture_.params.kind) ? 0 : far, kStepEpsilon);
        stats_.stepSeconds += Seconds(tables);
        stats_.stepBytes += ref.steps.Bytes();
    }
    return ref;
}

DeepPixel DeepEngine::Pixel(int column, int row, const Reference& ref) const {
    DeepOrbits orbits;
    orbits.reference = &ref.orbit;
    orbits.critical = critical_.Empty() ? nullptr : &critical_;
    orbits.referenceSteps = &ref.steps;
    orbits.criticalSteps = &criticalSteps_;
    orbits.pointRe = ref.pointRe;
    orbits.pointIm = ref.pointIm;
    // Both differences are whole multiples of one step each, rounded once.
    const double dre = static_cast<double>(column - ref.column) * stepRe_;
    const double dim = -static_cast<double>(row - ref.row) * stepIm_;
    return PerturbPixel(picture_.params, picture_.budget, orbits, dre, dim);
}

void DeepEngine::ComputeColumns(const EscapeParams&, const ScanGrid& grid, int first, int count,
                                uint32_t* out) {
    const int rows = grid.rows;
    const int64_t total = int64_t{count} * rows;
    std::vector<DeepPixel> pixels(static_cast<size_t>(total));
    const auto start = std::chrono::steady_clock::now();

    // Every pixel against the references there are, in the order they were
    // made; the first that carries it gives its colour.
    std::vector<int64_t> todo(static_cast<size_t>(total));
    for (int64_t k = 0; k < total; ++k) {
        todo[static_cast<size_t>(k)] = k;
    }
    size_t firstRef = 0;
    while (!todo.empty()) {
        std::atomic<size_t> next{0};
        std::vector<int64_t>& list = todo;
        const size_t refs = references_.size();
        auto work = [&](int) {
            for (;;) {
                const size_t at = next.fetch_add(64);
                if (at >= list.size()) {
                    return;
                }
                const size_t end = std::min(list.size(), at + 64);
                for (size_t t = at; t < end; ++t) {
                    const int64_t k = list[t];
                    const int column = first + static_cast<int>(k / rows);
                    const int row = static_cast<int>(k % rows);
                    DeepPixel px;
                    for (size_t r = firstRef; r < refs; ++r) {
                        px = Pixel(column, row, references_[r]);
                        if (!px.glitched) {
                            break;
                        }
                    }
                    pixels[static_cast<size_t>(k)] = px;
                }
            }
        };
        struct Task {
            decltype(work)& fn;
            void operator()(int worker) { fn(worker); }
        } task{work};
        const int helpers =
            std::min<int64_t>(threads_ - 1, static_cast<int64_t>(list.size()) / 256);
        int woken = 0;
        if (helpers > 0) {
            if (!pool_) {
                pool_ = std::make_unique<ThreadPool>(threads_ - 1);
            }
            woken = pool_->Run(task, helpers);
        }
        work(0);
        if (woken > 0) {
            pool_->Wait();
        }
        // The glitched ones: a new reference at the one that lasted longest
        // (the first in scan order among equals), for them alone.
        std::vector<int64_t> glitched;
        int64_t best = -1;
        int64_t bestAt = -1;
        for (const int64_t k : todo) {
            const DeepPixel& px = pixels[static_cast<size_t>(k)];
            if (px.glitched) {
                glitched.push_back(k);
                if (px.glitchedAt > bestAt) {
                    bestAt = px.glitchedAt;
                    best = k;
                }
            }
        }
        stats_.glitched += static_cast<int64_t>(glitched.size());
        if (glitched.empty() || references_.size() >= kMaxReferences) {
            stats_.unresolved += static_cast<int64_t>(glitched.size());
            break;
        }
        const auto orbitStart = std::chrono::steady_clock::now();
        references_.push_back(MakeReference(first + static_cast<int>(best / rows),
                                            static_cast<int>(best % rows), nullptr));
        stats_.orbitSeconds += Seconds(orbitStart);
        firstRef = references_.size() - 1;
        todo = std::move(glitched);
    }
    for (int64_t k = 0; k < total; ++k) {
        out[k] = DeepColour(picture_.params, picture_.budget, pixels[static_cast<size_t>(k)]);
    }
    stats_.pixelSeconds += Seconds(start);
}

}  // namespace galleri
