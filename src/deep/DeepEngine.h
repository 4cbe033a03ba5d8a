#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "deep/BigFloat.h"
#include "deep/Bla.h"
#include "deep/FloatExp.h"
#include "deep/Perturbation.h"
#include "deep/QuadraticPixel.h"
#include "deep/ReferenceOrbit.h"
#include "escape/EscapeScan.h"

namespace galleri {

class ThreadPool;

// A picture of a figure of the plane at any depth: the figure's iteration,
// an iteration budget of any size, and the rectangle in arbitrary precision.
// Pixel (i, j) stands for (left + i (right - left) / dW, top - j (top -
// bottom) / dH), dW and dH the picture's size plus the figure's divisor
// extra.
struct DeepPicture {
    EscapeParams params;  // kind, counter step, the Julia and dragon constants
    int64_t budget = 0;   // most iterations a pixel gets
    BigFloat left, right, bottom, top;
    int width = 0, height = 0;
    int divisorExtra = 0;
};

// The engine of deep pictures: perturbation against reference orbits
// computed in arbitrary precision, every pixel in double. The scan asks it
// for columns as it asks the double engines; Prepare first computes the
// reference orbit at the picture's centre. Pixels that its reference cannot
// carry (it ended while they were far from the critical point) are computed
// again against a reference of their own, taken at the glitched pixel that
// lasted longest, until none is left or kMaxReferences are in use. The
// colours are the same on every run and for every number of threads.
class DeepEngine : public EscapeEngine {
  public:
    static constexpr int kMaxReferences = 64;

    explicit DeepEngine(int threads = 0);
    ~DeepEngine() override;

    // Sets the picture up and computes its first reference orbit; false
    // (and the engine unusable until the next Prepare) when `cancel` was
    // seen set. Throws std::range_error when the view has no width or
    // height, or, for the maps other than z^2 + c and its Julia sets, when
    // it is deeper than a double's exponent reaches (pixels closer than
    // about 1e-290).
    bool Prepare(const DeepPicture& picture, const std::atomic<bool>* cancel = nullptr);

    // Computes every pixel of the picture (the first call does the work):
    // the pixels that glitch anywhere in it choose the further references,
    // so the colours cannot depend on the order in which columns are asked
    // for. False when Prepare's `cancel` was seen set; the picture is then
    // unusable until the next Prepare.
    bool ComputePicture();
    // A preview: every step-th pixel each way, column after column, against
    // the first reference alone (a glitched pixel keeps the colour it got).
    void ComputeSample(int step, std::vector<uint32_t>& out);

    // Colours of the grid's columns first .. first+count-1, from the whole
    // picture; only the grid's size is read, the points are the picture's.
    void ComputeColumns(const EscapeParams& params, const ScanGrid& grid, int first, int count,
                        uint32_t* out) override;

    struct Stats {
        int references = 0;  // orbits in use, the first included
        int64_t orbitIterations = 0;
        int orbitsReused = 0;     // first references whose orbit the last picture left
        int64_t glitched = 0;     // pixels computed again
        int64_t unresolved = 0;   // pixels left glitched
        double orbitSeconds = 0;  // computing reference orbits
        double stepSeconds = 0;   // making the tables of bilinear steps
        size_t stepBytes = 0;
        double pixelSeconds = 0;        // iterating pixels
        int64_t reachedBudget = 0;      // pixels that used the whole budget
        int64_t escapedNearBudget = 0;  // pixels that escaped in its second half
        int64_t mostEscaped = -1;       // the most iterations of a pixel that escaped
    };
    const Stats& GetStats() const { return stats_; }
    // How far the picture being prepared or computed has come, readable
    // from any thread while it is: iterations of reference orbits made (of
    // at most the budget each) and pixels computed (those computed again
    // against a further reference count again).
    struct Progress {
        std::atomic<int64_t> orbitIterations{0};
        std::atomic<int64_t> pixels{0};
    };
    const Progress& GetProgress() const { return progress_; }
    // Bits of the picture's arithmetic.
    long Precision() const { return bits_; }
    // The vector lanes z^2 + c's pixels run their plain iterations in side
    // by side (the CPU's best by default): the same colours in any.
    void SetLanes(LaneSet lanes) { lanes_ = lanes; }

  private:
    struct Reference {
        ReferenceOrbit orbit;
        BlaTable steps;
        // Where it lies in the picture, in pixels: a pixel's own for the
        // further references, in between pixels for the first.
        double column = 0, row = 0;
        double pointRe = 0, pointIm = 0;
    };
    Reference MakeReference(int column, int row, const std::atomic<bool>* cancel);
    Reference MakeReferenceAt(BigFloat re, BigFloat im, double column, double row,
                              const std::atomic<bool>* cancel);
    // The first reference's orbit, kept for the next picture whose first
    // reference falls on the same point with the same map, budget and bits.
    struct KeptOrbit {
        IterationKind kind{};
        double cx = 0, cy = 0;
        int64_t budget = 0;
        long bits = 0;
        BigFloat re, im;
        ReferenceOrbit orbit;
    };
    std::optional<KeptOrbit> kept_;
    DeepPixel Pixel(int column, int row, const Reference& ref) const;
    DeepOrbits OrbitsOf(const Reference& ref) const;
    ComplexExp QuadraticDelta(int column, int row, const Reference& ref) const;
    // Pixels k = todo[begin .. end) (column * height + row) of z^2 + c
    // against the reference r, into out[0 ..).
    void QuadraticPixels(const int64_t* todo, size_t count, const Reference& ref,
                         DeepPixel* out) const;
    template <typename Work>
    void RunPixels(size_t count, Work work);

    int threads_;
    std::unique_ptr<ThreadPool> pool_;
    DeepPicture picture_;
    long bits_ = 64;
    double stepRe_ = 0, stepIm_ = 0;
    FloatExp stepReWide_, stepImWide_;  // the same at any depth
    BigFloat stepReBig_, stepImBig_;
    std::vector<Reference> references_;
    ReferenceOrbit critical_;  // the Julia-type maps' critical orbit
    BlaTable criticalSteps_;
    Stats stats_;
    const std::atomic<bool>* cancel_ = nullptr;
    Progress progress_;
    std::vector<uint32_t> colours_;  // the whole picture, column after column
    bool computed_ = false;
    LaneSet lanes_ = BestLaneSet();
};

}  // namespace galleri
