// Speed of the escape-time figures: every figure at the window's size and
// the heaviest at 1920x1080, drawn by the scalar reference on one thread and
// by the fast engine on one and on all threads. Each run reports the exact
// number of iterations the figure takes and the iterations per second; at
// the end a table of the speed-ups is printed in Markdown. Some figures are
// drawn in the preset and in the smooth colouring, for what smooth costs.
#include <benchmark/benchmark.h>
#include <sched.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "colour/BuiltinPalettes.h"
#include "commands/Commands.h"
#include "escape/EscapeScan.h"
#include "escape/FastEngine.h"
#include "escape/SmoothColouring.h"
#include "surface/HeadlessPlatform.h"
#include "surface/Surface.h"

namespace galleri {
namespace {

bool IsEscapeTime(const Command& c) {
    const std::string menu = c.menu ? c.menu : "";
    return menu == "mandelbroot1" || menu == "julia1" || menu == "juliadragons1" ||
           menu == "mandeldragon1" || std::string(c.caption) == "binary decomposition";
}

// The fast engine's instruction set (--simd=avx512|avx2|portable).
SimdPath gPath = SimdPath::Auto;

const std::vector<std::string> kHeavy = {"m_5", "jd_9", "jd_10", "m_4", "m_8"};
// Drawn also as galleri-render draws them, where nobody watches (larger
// hand-overs between the scan and the workers), at both sizes.
const std::vector<std::string> kScaling = {"m_4", "m_5", "jd_9", "jd_10"};
// Drawn in both colourings as galleri-render draws them: light and heavy
// figures of every map.
const std::vector<std::string> kColouring = {"m_1", "m_5", "jd_9", "mandelphoenix"};
const std::vector<std::string> kKernelOnly = {
    "m_5", "jd_9", "jd_10", "m_4", "m_8", "j_4", "binary decomposition"};

// Sums the reference's iteration counts instead of colouring; the pixels it
// leaves are meaningless. Splits each block over the cores to save time.
class CountingEngine : public EscapeEngine {
  public:
    void ComputeColumns(const EscapeParams& params, const ScanGrid& grid, int first, int count,
                        uint32_t* out) override {
        const int total = count * grid.rows;
        const int parts = std::max(1u, std::thread::hardware_concurrency());
        std::vector<uint64_t> sums(parts, 0);
        std::vector<std::thread> threads;
        for (int t = 0; t < parts; ++t) {
            threads.emplace_back([&, t] {
                for (int k = t; k < total; k += parts) {
                    sums[t] += EscapeIterations(params, grid.columnRe[first + k / grid.rows],
                                                grid.rowIm[k % grid.rows]);
                    out[k] = 0;
                }
            });
        }
        for (std::thread& th : threads) {
            th.join();
        }
        for (uint64_t s : sums) {
            iterations += s;
        }
    }
    uint64_t iterations = 0;
};

// Keeps the parameters and points of the figure's scan.
class CapturingEngine : public EscapeEngine {
  public:
    void ComputeColumns(const EscapeParams& p, const ScanGrid& g, int, int count,
                        uint32_t* out) override {
        params = p;
        grid = g;
        std::fill(out, out + static_cast<size_t>(count) * g.rows, 0u);
    }
    EscapeParams params;
    ScanGrid grid;
};

void Draw(const Command& c, EscapeEngine& engine, int w, int h, bool watched = true) {
    HeadlessPlatform platform(w, h);
    platform.watched = watched;
    Surface surface(platform);
    surface.SetEngine(&engine);
    RunFigure(surface, c);
    benchmark::DoNotOptimize(surface.Picture().Pixels().data());
}

uint64_t Iterations(const Command& c, int w, int h) {
    static std::map<std::string, uint64_t> cache;
    const std::string key = std::string(c.caption) + "@" + std::to_string(w);
    auto it = cache.find(key);
    if (it != cache.end()) {
        return it->second;
    }
    CountingEngine counter;
    Draw(c, counter, w, h);
    return cache[key] = counter.iterations;
}

// Keeps the calling thread, and the threads it starts, on one processor
// while it lives: a one-thread run then has one core, its scan and its
// worker included, and the scaling compares one core with all.
class OneProcessor {
  public:
    OneProcessor() {
        pinned_ = sched_getaffinity(0, sizeof saved_, &saved_) == 0;
        if (pinned_) {
            cpu_set_t one;
            CPU_ZERO(&one);
            for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
                if (CPU_ISSET(cpu, &saved_)) {
                    CPU_SET(cpu, &one);
                    break;
                }
            }
            pinned_ = sched_setaffinity(0, sizeof one, &one) == 0;
        }
    }
    ~OneProcessor() {
        if (pinned_) {
            sched_setaffinity(0, sizeof saved_, &saved_);
        }
    }
    OneProcessor(const OneProcessor&) = delete;
    OneProcessor& operator=(const OneProcessor&) = delete;

  private:
    cpu_set_t saved_;
    bool pinned_ = false;
};

// Seconds the process's other threads (the engine's workers) spent running
// or ready to run, from the kernel's scheduler statistics. Over a drawing,
// divided by its wall time and the workers, it says how much of the time
// the workers had work: time they slept waiting for the scan is lost, time
// another program held the processor is not. So it shows idle cores even
// on a busy machine.
double OtherThreadsSeconds() {
    const std::string self = std::to_string(static_cast<long>(gettid()));
    double seconds = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        if (task.path().filename() == self) {
            continue;
        }
        std::ifstream in(task.path() / "schedstat");
        double running = 0, waiting = 0;
        if (in >> running >> waiting) {
            seconds += (running + waiting) * 1e-9;
        }
    }
    return seconds;
}

// Engines: "scalar" on one thread, "fast" with a thread count; one-thread
// runs on one processor. Unwatched runs draw as galleri-render does.
void Register(const Command& c, int w, int h, bool scalar, int threads, bool watched = true) {
    const std::string name = std::string(c.caption) + "@" + std::to_string(w) + "x" +
                             std::to_string(h) + (watched ? "" : " unwatched") + "/" +
                             (scalar ? "scalar" : "fast") + ":" + std::to_string(threads);
    benchmark::RegisterBenchmark(
        name.c_str(),
        [&c, w, h, scalar, threads, watched](benchmark::State& state) {
            const uint64_t n = Iterations(c, w, h);
            std::optional<OneProcessor> pin;
            if (threads == 1) {
                pin.emplace();
            }
            ScalarEngine reference;
            FastEngine fast(threads, gPath);
            EscapeEngine& engine = scalar ? static_cast<EscapeEngine&>(reference) : fast;
            const double busyBefore = OtherThreadsSeconds();
            const auto started = std::chrono::steady_clock::now();
            for (auto _ : state) {
                Draw(c, engine, w, h, watched);
            }
            const double wall =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            if (!scalar) {
                state.counters["busy"] = (OtherThreadsSeconds() - busyBefore) / (wall * threads);
            }
            state.counters["iterations"] = static_cast<double>(n);
            state.counters["iter/s"] = benchmark::Counter(
                static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate);
        })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

// A figure at its own rectangle drawn by the fast engine on all threads as
// galleri-render draws it, in its preset colours or smooth, to compare the
// two colourings of the same view.
void RegisterColouring(const Command& c, int w, int h, bool smooth) {
    const std::string name = std::string("colouring/") + c.caption + "@" + std::to_string(w) + "x" +
                             std::to_string(h) + "/" + (smooth ? "smooth" : "preset");
    benchmark::RegisterBenchmark(
        name.c_str(),
        [&c, w, h, smooth](benchmark::State& state) {
            const SmoothColouring colouring(FindBuiltinPalette("classic")->stops, 20, 0);
            HeadlessPlatform platform(w, h);
            platform.watched = false;
            Surface surface(platform);
            FastEngine fast(0, gPath);
            surface.SetEngine(&fast);
            for (auto _ : state) {
                RunFigureView(surface, c, c.Plane()->own, std::nullopt,
                              smooth ? &colouring : nullptr);
                benchmark::DoNotOptimize(surface.Picture().Pixels().data());
            }
        })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

// A field of /proc/self/status in KB.
long StatusKb(const std::string& field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::stol(line.substr(field.size() + 1));
        }
    }
    return 0;
}

// A poster drawn through the core, as galleri-render draws it: the peak of
// resident memory over the drawing against the picture's colour buffer. The
// engine's share is what exceeds 1.
void RegisterPoster(const Command& c, int w, int h) {
    const std::string name =
        std::string("poster/") + c.caption + "@" + std::to_string(w) + "x" + std::to_string(h);
    benchmark::RegisterBenchmark(name.c_str(),
                                 [&c, w, h](benchmark::State& state) {
                                     for (auto _ : state) {
                                         // Writing 5 to clear_refs starts the peak afresh.
                                         std::ofstream("/proc/self/clear_refs") << "5";
                                         const long before = StatusKb("VmRSS");
                                         Draw(c, DefaultFastEngine(), w, h, false);
                                         const double picture = 4.0 * w * h / 1024;
                                         state.counters["peak/picture"] =
                                             (StatusKb("VmHWM") - before) / picture;
                                     }
                                 })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1);
}

// The kernel alone on one thread, the whole picture as one block, outside a
// scan: the per-core speed of an instruction-set path, without threads,
// blocks or pixel writes. CPU time here is the kernel's own.
void RegisterKernel(const Command& c, int w, int h, SimdPath path) {
    const std::string name = std::string("kernel/") + c.caption + "@" + std::to_string(w) + "x" +
                             std::to_string(h) + "/" + SimdPathName(path);
    benchmark::RegisterBenchmark(name.c_str(), [&c, w, h, path](benchmark::State& state) {
        const uint64_t n = Iterations(c, w, h);
        CapturingEngine capture;
        Draw(c, capture, w, h);
        const ScanGrid& grid = capture.grid;
        std::vector<uint32_t> out(static_cast<size_t>(grid.columns) * grid.rows);
        FastEngine fast(1, path);
        for (auto _ : state) {
            fast.ComputeColumns(capture.params, grid, 0, grid.columns, out.data());
            benchmark::DoNotOptimize(out.data());
        }
        state.counters["iterations"] = static_cast<double>(n);
        state.counters["iter/s"] = benchmark::Counter(
            static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate);
    })->Unit(benchmark::kMillisecond);
}

// Collects the runs for the summary table while printing as usual.
class TableReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            // With repetitions, the medians stand for the runs.
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median") {
                continue;
            }
            std::string name = r.run_name.str();
            const std::string suffix = "/real_time";
            if (name.size() > suffix.size() &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
                name.resize(name.size() - suffix.size());
            }
            if (name.rfind("colouring/", 0) == 0) {
                const size_t slash = name.rfind('/');
                double& ms = colourings_[name.substr(10, slash - 10)][name.substr(slash + 1)];
                ms = r.GetAdjustedRealTime();
                continue;
            }
            if (name.rfind("poster/", 0) == 0) {
                const auto it = r.counters.find("peak/picture");
                if (it != r.counters.end()) {
                    posters_.emplace_back(name.substr(7, name.find('/', 7) - 7), it->second.value);
                }
                continue;
            }
            const size_t slash = name.rfind('/');
            Row& row = rows_[name.substr(0, slash)];
            if (row.order == 0) {
                row.order = ++count_;
            }
            // Kernel runs are on the calling thread: their CPU time is theirs.
            const bool kernel = name.rfind("kernel/", 0) == 0;
            const double ms = kernel ? r.GetAdjustedCPUTime() : r.GetAdjustedRealTime();
            const auto it = r.counters.find("iterations");
            if (it != r.counters.end()) {
                row.iterations = it->second.value;
            }
            row.times[name.substr(slash + 1)] = ms;
            if (const auto busy = r.counters.find("busy"); busy != r.counters.end()) {
                row.busy[name.substr(slash + 1)] = busy->second.value;
            }
        }
    }
    void PrintTable(int threads) const {
        std::vector<std::pair<int, std::string>> order;
        for (const auto& [k, row] : rows_) {
            order.emplace_back(row.order, k);
        }
        std::sort(order.begin(), order.end());
        const std::string all = "fast:" + std::to_string(threads);
        std::printf(
            "\n| figure | iterations | scalar, 1 thread | fast, 1 thread | fast, %d threads | "
            "Giter/s | speed-up | scaling | workers busy "
            "|\n|---|---:|---:|---:|---:|---:|---:|---:|---:|\n",
            threads);
        auto cell = [](double ms) {
            char b[32];
            std::snprintf(b, sizeof b, ms > 0 ? "%.1f ms" : "-", ms);
            return std::string(b);
        };
        auto ratio = [](double a, double b) {
            char buf[32];
            std::snprintf(buf, sizeof buf, a > 0 && b > 0 ? "%.1fx" : "-", a / b);
            return std::string(buf);
        };
        auto rate = [](double iterations, double ms) {
            char buf[32];
            std::snprintf(buf, sizeof buf, ms > 0 ? "%.2f" : "-", iterations / ms / 1e6);
            return std::string(buf);
        };
        std::vector<std::string> kernels;
        for (const auto& [o, key] : order) {
            const Row& row = rows_.at(key);
            if (key.rfind("kernel/", 0) == 0) {
                kernels.push_back(key);
                continue;
            }
            auto t = [&](const std::string& e) {
                auto it = row.times.find(e);
                return it == row.times.end() ? 0.0 : it->second;
            };
            const double s = t("scalar:1"), f1 = t("fast:1"), fa = t(all);
            const auto busy = row.busy.find(all);
            char busyCell[16] = "-";
            if (busy != row.busy.end()) {
                std::snprintf(busyCell, sizeof busyCell, "%.1f%%", 100 * busy->second);
            }
            std::printf("| %s | %.0f | %s | %s | %s | %s | %s | %s | %s |\n", key.c_str(),
                        row.iterations, cell(s).c_str(), cell(f1).c_str(), cell(fa).c_str(),
                        rate(row.iterations, fa).c_str(), ratio(s, fa).c_str(),
                        ratio(f1, fa).c_str(), busyCell);
        }
        for (const auto& [poster, peak] : posters_) {
            std::printf(
                "\nPoster %s drawn as galleri-render draws it: peak memory %.3f times its "
                "colour buffer.\n",
                poster.c_str(), peak);
        }
        if (!colourings_.empty()) {
            std::printf(
                "\nSmooth colouring against the preset one, fast engine, %d threads:\n\n"
                "| figure | preset | smooth | cost |\n|---|---:|---:|---:|\n",
                threads);
            for (const auto& [figure, times] : colourings_) {
                const auto time = [&times](const char* c) {
                    const auto it = times.find(c);
                    return it == times.end() ? 0.0 : it->second;
                };
                const double preset = time("preset"), smooth = time("smooth");
                char cost[16] = "-";
                if (preset > 0 && smooth > 0) {
                    std::snprintf(cost, sizeof cost, "%+.0f%%", 100 * (smooth / preset - 1));
                }
                std::printf("| %s | %s | %s | %s |\n", figure.c_str(), cell(preset).c_str(),
                            cell(smooth).c_str(), cost);
            }
        }
        if (kernels.empty()) {
            return;
        }
        std::printf(
            "\nKernel alone, one thread, Giter/s of CPU time:\n\n"
            "| figure | avx512 | avx2 | portable |\n|---|---:|---:|---:|\n");
        for (const std::string& key : kernels) {
            const Row& row = rows_.at(key);
            std::printf("| %s |", key.substr(7).c_str());
            for (const char* path : {"avx512", "avx2", "portable"}) {
                auto it = row.times.find(path);
                std::printf(" %s |",
                            rate(row.iterations, it == row.times.end() ? 0.0 : it->second).c_str());
            }
            std::printf("\n");
        }
    }

  private:
    struct Row {
        int order = 0;
        double iterations = 0;
        std::map<std::string, double> times;
        std::map<std::string, double> busy;  // share of the time the workers had work
    };
    std::vector<std::pair<std::string, double>> posters_;
    // Per figure, the milliseconds of each colouring.
    std::map<std::string, std::map<std::string, double>> colourings_;
    std::map<std::string, Row> rows_;
    int count_ = 0;
};

}  // namespace
}  // namespace galleri

int main(int argc, char** argv) {
    using namespace galleri;
    const int threads = std::max(1u, std::thread::hardware_concurrency());
    // Our own option, taken out before Google Benchmark sees the arguments.
    int kept = 1;
    for (int a = 1; a < argc; ++a) {
        const std::string arg = argv[a];
        if (arg.rfind("--simd=", 0) == 0) {
            const std::string v = arg.substr(7);
            gPath = v == "avx512"     ? SimdPath::Avx512
                    : v == "avx2"     ? SimdPath::Avx2
                    : v == "portable" ? SimdPath::Portable
                                      : SimdPath::Auto;
        } else {
            argv[kept++] = argv[a];
        }
    }
    argc = kept;
    for (const Command& c : Commands()) {
        if (c.Enabled() && c.kind == CommandKind::Figure && IsEscapeTime(c)) {
            Register(c, 483, 609, true, 1);
            Register(c, 483, 609, false, 1);
            Register(c, 483, 609, false, threads);
        }
    }
    for (const std::string& name : kHeavy) {
        if (const Command* c = FindCommand(name); c && c->Enabled()) {
            Register(*c, 1920, 1080, true, 1);
            Register(*c, 1920, 1080, false, 1);
            Register(*c, 1920, 1080, false, threads);
        }
    }
    for (const std::string& name : kScaling) {
        if (const Command* c = FindCommand(name); c && c->Enabled()) {
            for (auto [w, h] : {std::pair{483, 609}, {1920, 1080}}) {
                Register(*c, w, h, false, 1, false);
                Register(*c, w, h, false, threads, false);
            }
        }
    }
    if (const Command* c = FindCommand("j_1"); c && c->Enabled()) {
        RegisterPoster(*c, 20000, 15000);
    }
    for (const std::string& name : kColouring) {
        if (const Command* c = FindCommand(name); c && c->Enabled()) {
            RegisterColouring(*c, 1920, 1080, false);
            RegisterColouring(*c, 1920, 1080, true);
        }
    }
    for (const std::string& name : kKernelOnly) {
        if (const Command* c = FindCommand(name); c && c->Enabled()) {
            for (SimdPath p : {SimdPath::Avx512, SimdPath::Avx2, SimdPath::Portable}) {
                if (SimdPathSupported(p)) {
                    RegisterKernel(*c, 483, 609, p);
                }
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintTable(threads);
    benchmark::Shutdown();
    return 0;
}
