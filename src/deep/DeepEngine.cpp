#include "deep/DeepEngine.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <stdexcept>
#include <thread>

#include "deep/QuadraticPixel.h"
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

FloatExp Wide(const BigFloat& x) {
    long e = 0;
    const double m = x.Mantissa(e);
    return FloatExp::Of(m, e);
}

// How small the terms a step leaves out must be beside A d: d^2 in the
// bilinear form, d^3 in the second-order one. At 2^-45 the colours follow
// the direct iteration as closely as at 2^-50 (in the seahorse valley at
// 1e-25, by the bench minibrot at 1e-100), and the pixels by that minibrot
// take 10% less time; at 2^-40 the seahorse view has twice the pixels that
// part from the direct iteration.
constexpr double kStepEpsilon = 0x1p-45;
// Bilinear steps of 64 iterations or more: a shorter one costs about as
// much as the plain iterations it would skip, and these run side by side.
constexpr int kShortestStep = 6;

// Pixels go to whoever is free in chunks of this many: neighbouring pixels
// cost alike, far ones do not. The last few of a chunk run one at a time,
// not side by side in the lanes.
constexpr size_t kChunk = 256;

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
    progress_.orbitIterations = 0;
    progress_.pixels = 0;
    cancel_ = cancel;
    computed_ = false;
    colours_.clear();
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
    if (spanRe.IsZero() || spanIm.IsZero() || !spanRe.IsFinite() || !spanIm.IsFinite()) {
        throw std::range_error("the view has no width or no height");
    }
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
    stepReWide_ = Wide(stepReBig_);
    stepImWide_ = Wide(stepImBig_);
    // The quadratic maps go to any depth; the others iterate their
    // differences in plain doubles.
    if (!Quadratic(picture.params.kind) &&
        !(std::fabs(stepRe_) > 1e-290 && std::fabs(stepIm_) > 1e-290)) {
        throw std::range_error(
            "the view is too deep for this map: its pixels lie closer than 1e-290 (only "
            "z^2 + c and its Julia sets go deeper)");
    }
    const auto start = std::chrono::steady_clock::now();
    // The first reference: the picture's centre rounded to a grid of 256
    // pixels, a point that only the view decides (so a picture redrawn from
    // its text uses the very same orbit), and that stays put while the view
    // pans by less than the grid, so that its orbit serves again.
    BigFloat centreRe = left.WithPrecision(bits_) +
                        stepReBig_ * BigFloat(static_cast<double>(picture.width) / 2, bits_);
    BigFloat centreIm = picture.top.WithPrecision(bits_) -
                        stepImBig_ * BigFloat(static_cast<double>(picture.height) / 2, bits_);
    const auto snap = [](BigFloat& x, const BigFloat& step) {
        const long k = step.Abs().Exponent() + 8;
        BigFloat q = x.Times2Pow(-k);
        mpfr_rint(q.Raw(), q.Raw(), MPFR_RNDN);
        x = q.Times2Pow(k);
    };
    snap(centreRe, stepReBig_);
    snap(centreIm, stepImBig_);
    const double column = ((centreRe - left) / stepReBig_).ToDouble();
    const double row = ((picture.top.WithPrecision(bits_) - centreIm) / stepImBig_).ToDouble();
    references_.push_back(
        MakeReferenceAt(std::move(centreRe), std::move(centreIm), column, row, cancel));
    if (JuliaType(picture.params.kind)) {
        OrbitStart origin{BigFloat(bits_), BigFloat(bits_), true};
        critical_ = ComputeReferenceOrbit(picture.params, origin, picture.budget, kOrbitBailout,
                                          cancel, &progress_.orbitIterations);
        stats_.orbitIterations += critical_.Last();
        if (Quadratic(picture.params.kind)) {
            const auto tables = std::chrono::steady_clock::now();
            criticalSteps_ = BlaTable(critical_, FloatExp{}, kStepEpsilon, kShortestStep);
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
    return MakeReferenceAt(std::move(re), std::move(im), column, row, cancel);
}

DeepEngine::Reference DeepEngine::MakeReferenceAt(BigFloat re, BigFloat im, double column,
                                                  double row, const std::atomic<bool>* cancel) {
    Reference ref;
    ref.column = column;
    ref.row = row;
    ref.pointRe = re.ToDouble();
    ref.pointIm = im.ToDouble();
    const EscapeParams& p = picture_.params;
    const bool first = references_.empty();
    if (first && kept_ && kept_->kind == p.kind && kept_->cx == p.cx && kept_->cy == p.cy &&
        kept_->budget == picture_.budget && kept_->bits == bits_ && kept_->re == re &&
        kept_->im == im) {
        ref.orbit = kept_->orbit;  // the same orbit as last time
        ++stats_.orbitsReused;
    } else {
        OrbitStart start{re, im, false};
        ref.orbit = ComputeReferenceOrbit(p, start, picture_.budget, kOrbitBailout, cancel,
                                          &progress_.orbitIterations);
        stats_.orbitIterations += ref.orbit.Last();
        const bool complete = cancel == nullptr || !cancel->load();
        if (first && complete) {
            kept_ = KeptOrbit{p.kind, p.cx,          p.cy,          picture_.budget,
                              bits_,  std::move(re), std::move(im), ref.orbit};
        }
    }
    ++stats_.references;
    if (Quadratic(picture_.params.kind)) {
        // The farthest pixel from this reference bounds the parameter's
        // difference (none for the Julia sets).
        const FloatExp farRe =
            FloatExp::Of(std::max(std::fabs(column), std::fabs(picture_.width - column))) *
            stepReWide_;
        const FloatExp farIm =
            FloatExp::Of(std::max(std::fabs(row), std::fabs(picture_.height - row))) * stepImWide_;
        const FloatExp far = ComplexExp::Of(farRe, farIm).Abs();
        const auto tables = std::chrono::steady_clock::now();
        ref.steps = BlaTable(ref.orbit, JuliaType(picture_.params.kind) ? FloatExp{} : far,
                             kStepEpsilon, kShortestStep);
        stats_.stepSeconds += Seconds(tables);
        stats_.stepBytes += ref.steps.Bytes();
    }
    return ref;
}

DeepOrbits DeepEngine::OrbitsOf(const Reference& ref) const {
    DeepOrbits orbits;
    orbits.reference = &ref.orbit;
    orbits.critical = critical_.Empty() ? nullptr : &critical_;
    orbits.referenceSteps = &ref.steps;
    orbits.criticalSteps = &criticalSteps_;
    orbits.pointRe = ref.pointRe;
    orbits.pointIm = ref.pointIm;
    return orbits;
}

ComplexExp DeepEngine::QuadraticDelta(int column, int row, const Reference& ref) const {
    // Both differences are whole multiples of one step each, rounded once.
    const FloatExp dre = FloatExp::Of(column - ref.column) * stepReWide_;
    const FloatExp dim = FloatExp::Of(ref.row - row) * stepImWide_;
    return ComplexExp::Of(dre, dim);
}

DeepPixel DeepEngine::Pixel(int column, int row, const Reference& ref) const {
    const DeepOrbits orbits = OrbitsOf(ref);
    if (Quadratic(picture_.params.kind)) {
        return PerturbQuadratic(picture_.params, picture_.budget, orbits,
                                QuadraticDelta(column, row, ref));
    }
    const double dre = (column - ref.column) * stepRe_;
    const double dim = -(row - ref.row) * stepIm_;
    return PerturbPixel(picture_.params, picture_.budget, orbits, dre, dim);
}

void DeepEngine::QuadraticPixels(const int64_t* todo, size_t count, const Reference& ref,
                                 DeepPixel* out) const {
    std::array<ComplexExp, kChunk> deltas;
    const int height = picture_.height;
    for (size_t t = 0; t < count; ++t) {
        deltas[t] = QuadraticDelta(static_cast<int>(todo[t] / height),
                                   static_cast<int>(todo[t] % height), ref);
    }
    PerturbQuadraticMany(picture_.params, picture_.budget, OrbitsOf(ref), deltas.data(), count, out,
                         lanes_);
}

template <typename Work>
void DeepEngine::RunPixels(size_t count, Work work) {
    std::atomic<size_t> next{0};
    auto run = [&](int) {
        for (;;) {
            if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) {
                return;
            }
            const size_t at = next.fetch_add(kChunk);
            if (at >= count) {
                return;
            }
            const size_t end = std::min(count, at + kChunk);
            progress_.pixels.fetch_add(end - at, std::memory_order_relaxed);
            work(at, end);
        }
    };
    struct Task {
        decltype(run)& fn;
        void operator()(int worker) { fn(worker); }
    } task{run};
    const int helpers =
        static_cast<int>(std::min<int64_t>(threads_ - 1, static_cast<int64_t>(count) / 256));
    int woken = 0;
    if (helpers > 0) {
        if (!pool_) {
            pool_ = std::make_unique<ThreadPool>(threads_ - 1);
        }
        woken = pool_->Run(task, helpers);
    }
    run(0);
    if (woken > 0) {
        pool_->Wait();
    }
}

bool DeepEngine::ComputePicture() {
    if (computed_) {
        return true;
    }
    // A cancelled Prepare may have left a reference cut short.
    if (cancel_ != nullptr && cancel_->load()) {
        return false;
    }
    const int width = picture_.width, height = picture_.height;
    const auto start = std::chrono::steady_clock::now();
    colours_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    // Every pixel against the references there are, in the order they were
    // made; the first that carries it gives its colour. The glitched ones of
    // the whole picture choose the next reference, so no order in which the
    // columns are asked for can change a colour.
    std::vector<int64_t> todo(colours_.size());
    for (size_t k = 0; k < todo.size(); ++k) {
        todo[k] = static_cast<int64_t>(k);
    }
    std::vector<int64_t> glitchedAt(colours_.size(), -1);
    size_t firstRef = 0;
    std::atomic<int64_t> maxEscaped{-1};
    std::atomic<int64_t> reached{0};
    std::atomic<int64_t> near{0};
    const bool quadratic = Quadratic(picture_.params.kind);
    // What a chunk's pixels tell the statistics, added up once a chunk:
    // the counters are shared by the threads.
    struct Tallies {
        int64_t reached = 0, near = 0, most = -1;
    };
    auto Tally = [&](int64_t k, const DeepPixel& px, Tallies& tallies) {
        colours_[static_cast<size_t>(k)] = DeepColour(picture_.params, picture_.budget, px);
        glitchedAt[static_cast<size_t>(k)] = px.glitched ? px.glitchedAt : -1;
        if (px.n >= picture_.budget) {
            ++tallies.reached;
            return;
        }
        tallies.near += px.n > picture_.budget / 2 ? 1 : 0;
        tallies.most = std::max(tallies.most, px.n);
    };
    auto Add = [&](const Tallies& tallies) {
        reached.fetch_add(tallies.reached, std::memory_order_relaxed);
        near.fetch_add(tallies.near, std::memory_order_relaxed);
        int64_t seen = maxEscaped.load(std::memory_order_relaxed);
        while (tallies.most > seen &&
               !maxEscaped.compare_exchange_weak(seen, tallies.most, std::memory_order_relaxed)) {
        }
    };
    while (!todo.empty()) {
        const size_t refs = references_.size();
        RunPixels(todo.size(), [&](size_t begin, size_t end) {
            std::array<DeepPixel, kChunk> first;
            Tallies tallies;
            if (quadratic) {
                QuadraticPixels(&todo[begin], end - begin, references_[firstRef], first.data());
            }
            for (size_t t = begin; t < end; ++t) {
                const int64_t k = todo[t];
                const int column = static_cast<int>(k / height);
                const int row = static_cast<int>(k % height);
                DeepPixel px =
                    quadratic ? first[t - begin] : Pixel(column, row, references_[firstRef]);
                for (size_t r = firstRef + 1; px.glitched && r < refs; ++r) {
                    px = Pixel(column, row, references_[r]);
                }
                Tally(k, px, tallies);
            }
            Add(tallies);
        });
        if (cancel_ != nullptr && cancel_->load()) {
            return false;
        }
        // The glitched ones: a new reference at the one that lasted longest
        // (the first in scan order among equals), for them alone.
        std::vector<int64_t> glitched;
        int64_t best = -1;
        int64_t bestAt = -1;
        for (const int64_t k : todo) {
            const int64_t at = glitchedAt[static_cast<size_t>(k)];
            if (at >= 0) {
                glitched.push_back(k);
                if (at > bestAt) {
                    bestAt = at;
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
        references_.push_back(MakeReference(static_cast<int>(best / height),
                                            static_cast<int>(best % height), cancel_));
        stats_.orbitSeconds += Seconds(orbitStart);
        if (cancel_ != nullptr && cancel_->load()) {
            return false;
        }
        firstRef = references_.size() - 1;
        todo = std::move(glitched);
    }
    stats_.reachedBudget = reached.load();
    stats_.escapedNearBudget = near.load();
    stats_.mostEscaped = maxEscaped.load();
    stats_.pixelSeconds += Seconds(start);
    computed_ = true;
    return true;
}

void DeepEngine::ComputeSample(int step, std::vector<uint32_t>& out) {
    step = std::max(step, 1);
    const int columns = (picture_.width + step - 1) / step;
    const int rows = (picture_.height + step - 1) / step;
    out.assign(static_cast<size_t>(columns) * static_cast<size_t>(rows), 0);
    const bool quadratic = Quadratic(picture_.params.kind);
    const int height = picture_.height;
    RunPixels(out.size(), [&](size_t begin, size_t end) {
        std::array<int64_t, kChunk> todo;
        std::array<DeepPixel, kChunk> pixels;
        for (size_t t = begin; t < end; ++t) {
            const int column = static_cast<int>(t / static_cast<size_t>(rows)) * step;
            const int row = static_cast<int>(t % static_cast<size_t>(rows)) * step;
            todo[t - begin] = int64_t{column} * height + row;
            if (!quadratic) {
                pixels[t - begin] = Pixel(column, row, references_[0]);
            }
        }
        if (quadratic) {
            QuadraticPixels(todo.data(), end - begin, references_[0], pixels.data());
        }
        for (size_t t = begin; t < end; ++t) {
            out[t] = DeepColour(picture_.params, picture_.budget, pixels[t - begin]);
        }
    });
}

void DeepEngine::ComputeColumns(const EscapeParams&, const ScanGrid& grid, int first, int count,
                                uint32_t* out) {
    ComputePicture();
    const int rows = grid.rows;
    for (int c = 0; c < count; ++c) {
        const int column = first + c;
        for (int row = 0; row < rows; ++row) {
            // Past the picture's edge (the scan's extra column and row) a
            // pixel lands nowhere: it is not computed.
            const bool inside = column < picture_.width && row < picture_.height && computed_;
            out[static_cast<size_t>(c) * rows + row] =
                inside ? colours_[static_cast<size_t>(column) * picture_.height + row] : 0;
        }
    }
}

}  // namespace galleri
