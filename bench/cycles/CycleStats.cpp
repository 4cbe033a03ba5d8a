// How much of each figure of the plane the fast engine skips: the iterations
// the reference spends against those the engine runs, and the pixels it
// ends on a cycle. Prints a Markdown table (run by `scripts/bench --cycles`).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "commands/Commands.h"
#include "escape/EscapeScan.h"
#include "escape/FastEngine.h"
#include "escape/PlaneFigure.h"

namespace galleri {
namespace {

// The reference's iterations over the figure's whole scan grid.
uint64_t ReferenceIterations(const PlaneFigure& figure, const ScanGrid& grid) {
    const int parts = std::max(1u, std::thread::hardware_concurrency());
    std::vector<uint64_t> sums(parts, 0);
    std::vector<std::thread> threads;
    const int64_t total = int64_t{grid.columns} * grid.rows;
    for (int t = 0; t < parts; ++t) {
        threads.emplace_back([&, t] {
            for (int64_t k = t; k < total; k += parts) {
                sums[t] += EscapeIterations(figure.params, grid.columnRe[k / grid.rows],
                                            grid.rowIm[k % grid.rows]);
            }
        });
    }
    for (std::thread& th : threads) {
        th.join();
    }
    uint64_t sum = 0;
    for (uint64_t s : sums) {
        sum += s;
    }
    return sum;
}

int Run(int width, int height) {
    std::printf("Every figure of the plane at %dx%d:\n\n", width, height);
    std::printf(
        "| figure | budget | reference iterations | engine iterations | ratio | pixels on a "
        "cycle |\n|---|---:|---:|---:|---:|---:|\n");
    for (const Command& c : Commands()) {
        const std::optional<PlaneFigure> figure = c.Plane();
        if (!figure) {
            continue;
        }
        const PlaneRect& r = figure->own;
        const ScanGrid grid =
            MakeScanGrid(r.left, r.right, r.bottom, r.top, width, height, figure->scan);
        const uint64_t reference = ReferenceIterations(*figure, grid);
        FastEngine engine;
        std::vector<uint32_t> colours(static_cast<size_t>(grid.columns) * grid.rows);
        engine.ComputeColumns(figure->params, grid, 0, grid.columns, colours.data());
        const KernelStats& stats = engine.Stats();
        const int64_t ran = stats.iterations.load();
        const int64_t budget =
            (figure->params.limit + figure->params.countStep - 1) / figure->params.countStep;
        const int64_t pixels = int64_t{grid.columns} * grid.rows;
        std::printf("| %s | %lld | %.1f M | %.1f M | %.2fx | %.1f%% |\n", c.caption,
                    static_cast<long long>(budget), static_cast<double>(reference) / 1e6,
                    static_cast<double>(ran) / 1e6,
                    ran > 0 ? static_cast<double>(reference) / static_cast<double>(ran) : 0.0,
                    100.0 * static_cast<double>(stats.cycles.load()) / static_cast<double>(pixels));
    }
    return 0;
}

}  // namespace
}  // namespace galleri

int main(int argc, char** argv) {
    int width = 483, height = 609;
    if (argc > 1 && std::sscanf(argv[1], "%dx%d", &width, &height) != 2) {
        std::fprintf(stderr, "usage: galleri_cycle_stats [WxH]\n");
        return 2;
    }
    return galleri::Run(width, height);
}
