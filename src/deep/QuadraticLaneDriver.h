#pragma once

// The driver of the lanes that run several pixels' plain iterations of
// z^2 + c side by side: it feeds each lane a pixel, hands a pixel whose next
// iteration needs more (a step, a rebase, a tiny iterate, its end) back to
// its walk, and refills the lane. Each instruction set's file gives the
// run itself. Internal to those files (an unnamed namespace), like the walk.

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>

#include "deep/QuadraticWalk.h"

namespace galleri {

namespace {

// Plain iterations in a row that take a pixel into the lanes. One: the
// steps are 64 iterations or longer and start 64 apart, so a pixel whose
// step failed has dozens of plain iterations ahead, and more here would be
// made one at a time (16 cost a sixth of the time by a minibrot).
constexpr int64_t kWarm = 1;

// The lanes' state between runs: a pixel's plain-iteration state as the
// walk's Pace holds it, one array entry a lane.
template <int kLanes>
struct Lanes {
    alignas(64) std::array<double, kLanes> wr{}, wi{}, scale{}, ur{}, ui{}, x2{}, y2{};
    alignas(64) std::array<int64_t, kLanes> scaled{};  // all ones where s != 0
    std::array<const LaneRecord*, kLanes> records{};
    std::array<int64_t, kLanes> m{}, n{}, stop{};
    // Walk::RestartStop of each lane's pixel: a lane may start again from
    // the critical point by itself where it is not 0.
    std::array<int64_t, kLanes> restart{};
    int64_t budget = 0;

    void Load(int lane, const Walk::Pace& pace, bool isScaled, int64_t restartStop) {
        restart[lane] = restartStop;
        wr[lane] = pace.wr;
        wi[lane] = pace.wi;
        scale[lane] = pace.scale;
        ur[lane] = pace.ur;
        ui[lane] = pace.ui;
        x2[lane] = pace.x2;
        y2[lane] = pace.y2;
        scaled[lane] = isScaled ? -1 : 0;
        records[lane] = pace.records;
        m[lane] = pace.m;
        n[lane] = pace.n;
        stop[lane] = pace.stop;
    }
    // Whether an unscaled lane's w fell below its range in its last
    // iteration: the lanes see it only at their next test (|d|^2 is |w|^2),
    // and a lane may stop for another reason first.
    bool Drifted(int lane) const {
        return scaled[lane] == 0 && wr[lane] * wr[lane] + wi[lane] * wi[lane] < 0x1p-1000;
    }
    void Store(int lane, Walk::Pace& pace, bool drifted) const {
        pace.wr = wr[lane];
        pace.wi = wi[lane];
        pace.x2 = x2[lane];
        pace.y2 = y2[lane];
        pace.m = m[lane];
        pace.n = n[lane];
        pace.drifted = drifted;
    }
};

// Why the lanes stopped: per lane, whether its next iteration needs more
// than a plain one, and whether its w left its range in the last one.
struct Stops {
    int needs = 0, drifted = 0;
};

// Runs the pixels deltas[0 .. count) into out[], kLanes at a time in lanes:
// run(lanes, anyScaled) makes plain iterations in every lane together until
// some lane's next needs more, and says which (anyScaled: some lane has
// s != 0).
template <int kLanes, typename Run>
void DriveLanes(const EscapeParams& params, int64_t budget, const DeepOrbits& orbits,
                const ComplexExp* deltas, size_t count, DeepPixel* out, Run run) {
    std::array<std::optional<Walk>, kLanes> walks;
    std::array<size_t, kLanes> pixel{};
    Lanes<kLanes> lanes;
    lanes.budget = budget;
    std::array<bool, kLanes> inLanes{};
    size_t next = 0;
    // Brings a lane's pixel to where its next iteration is a plain one (the
    // lanes' entry), taking pixels until one gets there; false when there
    // are none left, or a pixel has no records to run in lanes from.
    auto enter = [&](int lane) {
        for (;;) {
            if (!walks[lane]) {
                if (next == count) {
                    return false;
                }
                pixel[lane] = next;
                walks[lane].emplace(params, budget, orbits, deltas[next]);
                ++next;
            }
            Walk& walk = *walks[lane];
            if (walk.Stepped()) {
                // Among the bilinear steps: on to the next at once.
                if (!walk.Advance()) {
                    out[pixel[lane]] = walk.Result();
                    walks[lane].reset();
                }
                continue;
            }
            Walk::Pace pace = walk.PaceOf();
            if (pace.records == nullptr) {
                return false;
            }
            // A plain iteration here first: a pixel whose next iteration
            // needs more at once stays out of the lanes.
            const int64_t stop = pace.stop;
            pace.stop = std::min(stop, pace.m + kWarm);
            const bool drifted = walk.IsScaled() ? pace.Run<true>() : pace.Run<false>();
            const bool warm = !drifted && pace.m == pace.stop && pace.m < stop;
            walk.Keep(pace);
            if (warm) {
                lanes.Load(lane, walk.PaceOf(), walk.IsScaled(), walk.RestartStop());
                inLanes[lane] = true;
                return true;
            }
            if (!drifted && !warm && !walk.Advance()) {
                out[pixel[lane]] = walk.Result();
                walks[lane].reset();
            }
        }
    };
    bool full = true;
    for (int l = 0; l < kLanes && full; ++l) {
        full = enter(l);
    }
    while (full) {
        bool anyScaled = false;
        for (int l = 0; l < kLanes; ++l) {
            anyScaled = anyScaled || lanes.scaled[l] != 0;
        }
        const Stops stops = run(lanes, anyScaled);
        // The stopped lanes' pixels take their state back, then go on to
        // where they next run plainly, or hand their lane to the next pixel.
        for (int l = 0; l < kLanes; ++l) {
            const bool drifted = ((stops.drifted >> l) & 1) || lanes.Drifted(l);
            if (((stops.drifted | stops.needs) >> l) & 1) {
                Walk& walk = *walks[l];
                Walk::Pace pace = walk.PaceOf();
                lanes.Store(l, pace, drifted);
                walk.Keep(pace);
                inLanes[l] = false;
            }
        }
        for (int l = 0; l < kLanes && full; ++l) {
            if (!inLanes[l]) {
                full = enter(l);
            }
        }
    }
    // Fewer pixels left than lanes: the rest one at a time, those still in
    // a lane taking their state back first.
    for (int l = 0; l < kLanes; ++l) {
        if (walks[l]) {
            if (inLanes[l]) {
                Walk::Pace pace = walks[l]->PaceOf();
                lanes.Store(l, pace, lanes.Drifted(l));
                walks[l]->Keep(pace);
            }
            out[pixel[l]] = Finish(*walks[l]);
        }
    }
    while (next < count) {
        Walk walk(params, budget, orbits, deltas[next]);
        out[next] = Finish(walk);
        ++next;
    }
}

}  // namespace

}  // namespace galleri
