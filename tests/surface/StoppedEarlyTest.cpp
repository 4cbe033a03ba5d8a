// A run notes that it stopped early only when the figure really left its
// drawing because of the stop request.

#include <gtest/gtest.h>

#include <string>

#include "commands/Commands.h"
#include "surface/HeadlessPlatform.h"
#include "surface/Surface.h"

namespace galleri {
namespace {

// Asks the running figure to stop at its first message point, or, for a
// figure without message points, once it has read the control's height
// `heightReads` times.
class EscapePressingPlatform : public HeadlessPlatform {
  public:
    explicit EscapePressingPlatform(int heightReads)
        : HeadlessPlatform(40, 30), heightReads_(heightReads) {
        onMessages = [this] { Press(); };
    }
    int ControlHeight() const override {
        if (++reads_ == heightReads_) {
            Press();
        }
        return HeadlessPlatform::ControlHeight();
    }
    void Press() const {
        if (surface_ != nullptr) {
            surface_->RequestAbort();
        }
    }
    // Presses on `surface` from now on; null: never.
    void Arm(Surface* surface) {
        surface_ = surface;
        reads_ = 0;
    }

  private:
    Surface* surface_ = nullptr;
    int heightReads_;
    mutable int reads_ = 0;
};

TEST(StoppedEarly, OnlyWhenTheFigureLeftItsDrawingForTheRequest) {
    struct Case {
        const char* figure;
        int heightReads;  // 0: never pressed but at message points
        bool stopped;
    };
    for (const Case& c : {Case{"m_1", 0, true}, Case{"j_1", 0, true},
                          Case{"mandelphoenix", 0, true}, Case{"bifurcation_1", 2000, true},
                          Case{"bifurcation_1", -1, false}, Case{"lorenz_1", 0, false},
                          Case{"binary decomposition", 5, false}, Case{"träd", 5, false}}) {
        SCOPED_TRACE(std::string(c.figure) + " " + std::to_string(c.heightReads));
        EscapePressingPlatform platform(c.heightReads);
        Surface surface(platform);
        platform.Arm(&surface);
        RunFigure(surface, *FindCommand(c.figure));
        EXPECT_EQ(surface.StoppedEarly(), c.stopped);
        // The next run begins without the note.
        platform.Arm(nullptr);
        RunFigure(surface, *FindCommand(c.figure));
        EXPECT_FALSE(surface.StoppedEarly());
    }
}

}  // namespace
}  // namespace galleri
