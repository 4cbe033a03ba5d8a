// How closely a deep picture follows the direct iteration: draws a view of a
// figure of the plane with the deep engine, then iterates every n-th pixel
// directly in MPFR at the picture's precision and counts the pixels whose
// colour agrees (EVERY 0: none), and prints a checksum of the whole picture.
// Run by `scripts/bench --deep-check`. GALLERI_DEEP_LANES=off draws with the
// pixels one at a time, =avx2 in AVX2's lanes without AVX-512's registers
// (the same picture, for timing the vector lanes).
//   galleri_deep_check ITEM WxH ITERATIONS LEFT,RIGHT,BOTTOM,TOP [EVERY]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "commands/Commands.h"
#include "deep/DeepEngine.h"
#include "deep/DeepRender.h"
#include "deep/DirectIteration.h"
#include "escape/PlaneFigure.h"
#include "view/DeepView.h"

namespace galleri {
namespace {

int Run(const Command& command, int width, int height, int64_t iterations, const DeepRect& view,
        int64_t every) {
    PlaneFigure figure = WithBudget(*command.Plane(), iterations);
    const DeepPicture picture = MakeDeepPicture(figure, view, width, height);
    DeepEngine engine;
    const std::string lanes =
        std::getenv("GALLERI_DEEP_LANES") != nullptr ? std::getenv("GALLERI_DEEP_LANES") : "";
    engine.SetLanes(lanes == "off"    ? LaneSet::None
                    : lanes == "avx2" ? LaneSet::Avx2
                                      : BestLaneSet());
    const auto start = std::chrono::steady_clock::now();
    engine.Prepare(picture);
    ScanGrid grid;
    grid.columns = width + 1;
    grid.rows = height + 1;
    std::vector<uint32_t> colours(static_cast<size_t>(grid.columns) * grid.rows);
    engine.ComputeColumns(figure.params, grid, 0, grid.columns, colours.data());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const long bits = engine.Precision();
    const BigFloat dw(width + picture.divisorExtra, bits), dh(height + picture.divisorExtra, bits);
    const BigFloat stepRe = (view.right - view.left).WithPrecision(bits) / dw;
    const BigFloat stepIm = (view.top - view.bottom).WithPrecision(bits) / dh;
    int64_t same = 0, total = 0, k = 0;
    uint64_t checksum = 1469598103934665603ull;  // FNV-1a over the colours
    for (int i = 0; i < width; ++i) {
        for (int j = 0; j < height; ++j, ++k) {
            checksum =
                (checksum ^ colours[static_cast<size_t>(i) * grid.rows + j]) * 1099511628211ull;
            if (every <= 0 || k % every != 0) {
                continue;
            }
            const BigFloat re = view.left + stepRe * BigFloat(i, bits);
            const BigFloat im = view.top - stepIm * BigFloat(j, bits);
            const uint32_t expected = DeepColour(figure.params, iterations,
                                                 IterateDirect(figure.params, iterations, re, im));
            same += expected == colours[static_cast<size_t>(i) * grid.rows + j] ? 1 : 0;
            ++total;
        }
    }
    const DeepEngine::Stats& s = engine.GetStats();
    std::printf(
        "%s %dx%d, %lld iterations, %ld bits: %lld of %lld sampled pixels agree (%.2f%%); "
        "%.2f s (orbits %.2f s, steps %.2f s, pixels %.2f s), %d references, %lld orbit "
        "iterations, steps %.1f MB, %lld unresolved; picture %016llx\n",
        command.caption, width, height, static_cast<long long>(iterations), bits,
        static_cast<long long>(same), static_cast<long long>(total),
        total > 0 ? 100.0 * same / total : 0.0, seconds, s.orbitSeconds, s.stepSeconds,
        s.pixelSeconds, s.references, static_cast<long long>(s.orbitIterations),
        s.stepBytes / 1048576.0, static_cast<long long>(s.unresolved),
        static_cast<unsigned long long>(checksum));
    return 0;
}

}  // namespace
}  // namespace galleri

int main(int argc, char** argv) {
    using namespace galleri;
    if (argc < 5) {
        std::fprintf(
            stderr,
            "usage: galleri_deep_check ITEM WxH ITERATIONS LEFT,RIGHT,BOTTOM,TOP [EVERY]\n");
        return 2;
    }
    const Command* command = FindCommand(argv[1]);
    int width = 0, height = 0;
    const ParsedDeepView view = ParseDeepView(argv[4]);
    if (command == nullptr || !command->Plane() ||
        std::sscanf(argv[2], "%dx%d", &width, &height) != 2 || !view.view) {
        std::fprintf(stderr, "galleri_deep_check: bad arguments %s\n", view.error.c_str());
        return 2;
    }
    try {
        return Run(*command, width, height, std::atoll(argv[3]), *view.view,
                   argc > 5 ? std::atoll(argv[5]) : 1);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "galleri_deep_check: %s\n", e.what());
        return 3;
    }
}
