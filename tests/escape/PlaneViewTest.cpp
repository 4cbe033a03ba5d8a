// Figures of the plane drawn at any rectangle: the menu command, the run of
// DrawPlaneFigure and the explorer's view renderer agree pixel for pixel,
// and every engine draws the same views.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "escape/FastEngine.h"
#include "escape/ViewRender.h"
#include "support/HeadlessFigure.h"

namespace galleri {
namespace {

using testsupport::HeadlessFigure;

std::vector<const Command*> PlaneCommands() {
    std::vector<const Command*> out;
    for (const Command& c : Commands()) {
        if (c.Plane()) {
            out.push_back(&c);
        }
    }
    return out;
}

// What a run leaves besides the picture.
struct RunState {
    Bitmap picture;
    double window[4];
    int32_t limit;
    int messagePoints, updates, refreshes;
    bool operator==(const RunState&) const = default;
};

// Draws after "m_1" has left its plane window and limit, so a figure that
// keeps its rectangle local shows it.
template <typename Draw>
RunState RunAfterM1(int w, int h, Draw draw) {
    HeadlessFigure f(w, h);
    ScalarEngine scalar;
    f.surface.SetEngine(&scalar);
    f.Run("m_1");
    f.platform.messagePoints = f.platform.updates = f.platform.refreshes = 0;
    draw(f.surface);
    const Surface& s = f.surface;
    return {s.Picture(),        {s.PlaneLeft, s.PlaneRight, s.PlaneBottom, s.PlaneTop},
            s.IterationLimit,   f.platform.messagePoints,
            f.platform.updates, f.platform.refreshes};
}

Bitmap Render(const PlaneFigure& figure, const PlaneRect& view, int w, int h, EscapeEngine& engine,
              int coarseStep = 4, Bitmap* coarse = nullptr) {
    Bitmap picture;
    std::atomic<bool> cancel{false};
    const bool done = RenderView(figure, view, w, h, engine, cancel, picture,
                                 [&](ViewPass pass, const Bitmap& b) {
                                     if (pass == ViewPass::Coarse && coarse != nullptr) {
                                         *coarse = b;
                                     }
                                 },
                                 {coarseStep});
    EXPECT_TRUE(done);
    return picture;
}

TEST(PlaneView, EveryFigureAtItsOwnRectangleIsTheMenuCommand) {
    const std::vector<const Command*> commands = PlaneCommands();
    ASSERT_EQ(commands.size(), 42u);
    ScalarEngine scalar;
    FastEngine fast(2);
    const int w = 61, h = 47;
    for (const Command* c : commands) {
        const PlaneFigure figure = *c->Plane();
        const RunState menu = RunAfterM1(w, h, [&](Surface& s) { RunFigure(s, *c); });
        const RunState run =
            RunAfterM1(w, h, [&](Surface& s) { DrawPlaneFigure(s, figure, figure.own); });
        EXPECT_TRUE(run == menu) << c->caption;
        EXPECT_EQ(menu.limit, figure.params.limit) << c->caption;
        EXPECT_TRUE(Render(figure, figure.own, w, h, scalar) == menu.picture) << c->caption;
        EXPECT_TRUE(Render(figure, figure.own, w, h, fast) == menu.picture) << c->caption;
    }
    // Only the figures of the plane have one.
    EXPECT_FALSE(FindCommand("lorenz_1")->Plane());
    EXPECT_FALSE(FindCommand("spara bild")->Plane());
    HeadlessFigure f(5, 5);
    EXPECT_THROW(RunFigureView(f.surface, *FindCommand("träd"), {0, 1, 0, 1}),
                 std::invalid_argument);
}

// Random views of every figure, small odd pictures: the renderer with the
// fast engine (coarse and exact passes, several coarse steps) equals the
// scalar reference and the run a menu command would make at that view.
TEST(PlaneView, RandomViewsEqualTheScalarReference) {
    std::mt19937_64 random(2024);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    ScalarEngine scalar;
    FastEngine fast(3);
    for (const Command* c : PlaneCommands()) {
        const PlaneFigure figure = *c->Plane();
        for (int k = 0; k < 3; ++k) {
            const int w = 1 + 2 * static_cast<int>(unit(random) * 40);
            const int h = 1 + 2 * static_cast<int>(unit(random) * 30);
            const PlaneRect& o = figure.own;
            const double zoom = std::pow(10.0, unit(random) * 6);
            const double cx = o.left + unit(random) * (o.right - o.left);
            const double cy = o.bottom + unit(random) * (o.top - o.bottom);
            const double hw = (o.right - o.left) / zoom / 2, hh = (o.top - o.bottom) / zoom / 2;
            const PlaneRect view{cx - hw, cx + hw, cy - hh, cy + hh};
            const int step = 1 + k * 2;  // 1 (no coarse pass), 3, 5
            const std::string what = std::string(c->caption) + " view " + std::to_string(k);

            const RunState run = RunAfterM1(w, h, [&](Surface& s) { RunFigureView(s, *c, view); });
            Bitmap coarseScalar, coarseFast;
            EXPECT_TRUE(Render(figure, view, w, h, scalar, step, &coarseScalar) == run.picture)
                << what;
            EXPECT_TRUE(Render(figure, view, w, h, fast, step, &coarseFast) == run.picture) << what;
            EXPECT_TRUE(coarseFast == coarseScalar) << what;
            // A coarse pixel is its block corner's exact colour.
            if (step > 1) {
                for (int y = 0; y < h; ++y) {
                    for (int x = 0; x < w; ++x) {
                        ASSERT_EQ(coarseFast.Get(x, y), run.picture.Get(x - x % step, y - y % step))
                            << what;
                    }
                }
            }
        }
    }
}

// Counts the blocks the renderer asks for and sets the cancel flag after
// the n-th, as a new gesture would from the interface thread.
class CancellingEngine : public EscapeEngine {
  public:
    CancellingEngine(std::atomic<bool>& cancel, int after) : cancel_(cancel), after_(after) {}
    void ComputeColumns(const EscapeParams& params, const ScanGrid& grid, int first, int count,
                        uint32_t* out) override {
        scalar_.ComputeColumns(params, grid, first, count, out);
        if (++calls == after_) {
            cancel_.store(true);
        }
    }
    int calls = 0;

  private:
    ScalarEngine scalar_;
    std::atomic<bool>& cancel_;
    int after_;
};

TEST(PlaneView, CancelledRenderStopsAtTheNextBlockAndReportsNoExactPass) {
    const PlaneFigure figure = FindCommand("m_1")->Plane().value();
    // 200 x 300: the coarse pass is one block, the exact pass several.
    for (const int after : {0, 1, 2, 4}) {
        std::atomic<bool> cancel{after == 0};
        CancellingEngine engine(cancel, after);
        std::vector<ViewPass> reported;
        Bitmap picture;
        const bool done =
            RenderView(figure, figure.own, 200, 300, engine, cancel, picture,
                       [&](ViewPass pass, const Bitmap&) { reported.push_back(pass); });
        EXPECT_FALSE(done) << after;
        EXPECT_EQ(engine.calls, after) << "no block computed after the cancel";
        EXPECT_EQ(reported.size(), after >= 1 ? 1u : 0u) << after;
        for (const ViewPass pass : reported) {
            EXPECT_EQ(pass, ViewPass::Coarse) << after;
        }
    }
    // Without a cancel the whole picture takes more blocks than that.
    std::atomic<bool> never{false};
    CancellingEngine counting(never, -1);
    Bitmap picture;
    EXPECT_TRUE(RenderView(figure, figure.own, 200, 300, counting, never, picture));
    EXPECT_GT(counting.calls, 4);
}

// Sizes a figure cannot draw raise the menu command's error, before the
// renderer draws anything.
TEST(PlaneView, SizesTheFigureCannotDrawRaiseTheSameRangeError) {
    const struct {
        const char* command;
        int w, h;
    } rows[] = {
        {"m_1", 10, 4097},  {"mandeldragon", 3, 4097},
        {"j_1", 65536, 1},  {"binary decomposition", 1, 65536},
        {"jd_2", 2, 65536},
    };
    FastEngine fast(2);
    for (const auto& r : rows) {
        const Command& c = *FindCommand(r.command);
        HeadlessFigure f(r.w, r.h);
        EXPECT_THROW(f.Run(r.command), RangeError) << r.command;
        std::atomic<bool> cancel{false};
        Bitmap picture;
        int reports = 0;
        EXPECT_THROW(RenderView(*c.Plane(), c.Plane()->own, r.w, r.h, fast, cancel, picture,
                                [&](ViewPass, const Bitmap&) { ++reports; }),
                     RangeError)
            << r.command;
        EXPECT_EQ(reports, 0) << r.command;
    }
    // The largest sizes that do draw still draw.
    std::atomic<bool> cancel{false};
    Bitmap picture;
    EXPECT_TRUE(RenderView(*FindCommand("j_1")->Plane(), {-1.8, 1.8, -1.2, 1.2}, 65535, 1, fast,
                           cancel, picture));
    EXPECT_TRUE(RenderView(*FindCommand("m_2")->Plane(), {-2, 0.5, -1.25, -1}, 1, 4096, fast,
                           cancel, picture));
}

}  // namespace
}  // namespace galleri
