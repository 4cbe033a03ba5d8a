// How quickly an explorer shows new views: two fixed zoom paths at the
// window's size, each view drawn by the view renderer as the window does,
// timed per step until the coarse picture and until the exact picture.
//
//   galleri_zoom_bench [--repeat N] [--threads N] [--engine fast|scalar]
//
// Each step zooms 1.5x about a fixed point, which keeps its place in the
// picture, as a wheel turned with the cursor on it does. A step's times are
// the medians of N runs (5 by default); the table ends with the median and
// the worst step of each path. The share of pixels that reach the iteration
// limit (on every 4th pixel in each direction) shows that the path stays on
// the figure's boundary all the way down.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "commands/Commands.h"
#include "escape/FastEngine.h"
#include "escape/ViewRender.h"
#include "view/ViewGeometry.h"
#include "view/ViewText.h"

namespace galleri {
namespace {

constexpr int kWidth = 483;
constexpr int kHeight = 609;
constexpr int kSteps = 40;
constexpr double kStepFactor = 1.5;

struct ZoomPath {
    const char* figure;
    PlanePoint target;
};

// "m_1" towards a point of the seahorse valley's spiral; "j_1" towards its
// repelling fixed point (1 + sqrt(1 - 4c)) / 2, which lies on the Julia set:
// near it the picture is self-similar, with escaping and non-escaping
// pixels at every depth.
const ZoomPath kPaths[] = {
    {"m_1", {-0.743643887037151, 0.131825904205330}},
    {"j_1", {1.0151831657599164, -0.5038965114806903}},
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Share of sampled pixels whose iteration reaches the limit.
double ShareAtLimit(const PlaneFigure& figure, const PlaneRect& view) {
    const ScanGrid grid =
        MakeScanGrid(view.left, view.right, view.bottom, view.top, kWidth, kHeight, figure.scan);
    const int64_t step = figure.params.countStep;
    const uint64_t budget = static_cast<uint64_t>((figure.params.limit + step - 1) / step);
    int inside = 0, total = 0;
    for (int i = 0; i < kWidth; i += 4) {
        for (int j = 0; j < kHeight; j += 4) {
            inside += EscapeIterations(figure.params, grid.columnRe[i], grid.rowIm[j]) >= budget;
            ++total;
        }
    }
    return static_cast<double>(inside) / total;
}

struct StepTimes {
    double firstMs = 0;
    double exactMs = 0;
};

StepTimes TimeView(const PlaneFigure& figure, const PlaneRect& view, EscapeEngine& engine) {
    using Clock = std::chrono::steady_clock;
    std::atomic<bool> cancel{false};
    Bitmap picture;
    const Clock::time_point start = Clock::now();
    double firstMs = -1;
    const auto ms = [start] {
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    RenderView(figure, view, kWidth, kHeight, engine, cancel, picture,
               [&](ViewPass pass, const Bitmap&) {
                   if (firstMs < 0) {
                       firstMs = ms();
                   }
                   (void)pass;
               });
    return {firstMs, ms()};
}

void RunPath(const ZoomPath& path, EscapeEngine& engine, int repeat) {
    const Command* command = FindCommand(path.figure);
    const PlaneFigure figure = command->Plane().value();
    const ViewFrame frame{kWidth, kHeight, figure.scan.divisorExtra};
    const PicturePoint at = PlaneToPicture(figure.own, frame, path.target);
    std::printf(
        "\n%s towards %.17g%+.17gi (picture position %.1f, %.1f), %dx%d, %d steps of %gx\n\n",
        path.figure, path.target.re, path.target.im, at.x, at.y, kWidth, kHeight, kSteps,
        kStepFactor);
    std::printf(
        "| step | zoom | first picture | exact picture | pixels at the limit |\n"
        "|---:|---:|---:|---:|---:|\n");
    TimeView(figure, figure.own, engine);  // wakes the threads once
    std::vector<double> firsts, exacts;
    PlaneRect view = figure.own;
    for (int step = 1; step <= kSteps; ++step) {
        view = ZoomAbout(view, frame, at, kStepFactor);
        std::vector<double> first, exact;
        for (int r = 0; r < repeat; ++r) {
            const StepTimes t = TimeView(figure, view, engine);
            first.push_back(t.firstMs);
            exact.push_back(t.exactMs);
        }
        firsts.push_back(Median(first));
        exacts.push_back(Median(exact));
        std::printf("| %d | %s | %.1f ms | %.1f ms | %.0f%% |\n", step,
                    FormatZoom(ZoomFactor(view, figure.own)).c_str(), firsts.back(), exacts.back(),
                    100 * ShareAtLimit(figure, view));
    }
    std::printf(
        "\n%s: first picture %.1f ms median, %.1f ms worst; exact picture %.1f ms median, "
        "%.1f ms worst. Last view: %s\n",
        path.figure, Median(firsts), *std::max_element(firsts.begin(), firsts.end()),
        Median(exacts), *std::max_element(exacts.begin(), exacts.end()), FormatView(view).c_str());
}

}  // namespace
}  // namespace galleri

int main(int argc, char** argv) {
    using namespace galleri;
    int repeat = 5;
    int threads = 0;
    bool scalar = false;
    for (int a = 1; a < argc; ++a) {
        const std::string arg = argv[a];
        const std::string value = a + 1 < argc ? argv[a + 1] : "";
        if (arg == "--repeat" && !value.empty()) {
            repeat = std::max(1, std::atoi(value.c_str()));
            ++a;
        } else if (arg == "--threads" && !value.empty()) {
            threads = std::max(0, std::atoi(value.c_str()));
            ++a;
        } else if (arg == "--engine" && (value == "fast" || value == "scalar")) {
            scalar = value == "scalar";
            ++a;
        } else {
            std::fprintf(stderr,
                         "usage: galleri_zoom_bench [--repeat N] [--threads N] "
                         "[--engine fast|scalar]\n");
            return 2;
        }
    }
    // The window gives its view renderer an engine of its own.
    std::unique_ptr<EscapeEngine> engine;
    if (scalar) {
        engine = std::make_unique<ScalarEngine>();
    } else {
        engine = std::make_unique<FastEngine>(threads);
    }
    std::printf(
        "Zoom paths: %s engine%s, median of %d runs per step\n", scalar ? "scalar" : "fast",
        scalar ? ""
               : (", " + std::to_string(static_cast<FastEngine&>(*engine).Threads()) + " threads")
                     .c_str(),
        repeat);
    for (const ZoomPath& path : kPaths) {
        RunPath(path, *engine, repeat);
    }
    return 0;
}
