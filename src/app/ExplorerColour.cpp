// The explorer's colouring: the choices of the Colour menu and its keys, and
// the cycling of the palette.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>

#include "app/Explorer.h"
#include "app/PictureView.h"
#include "colour/Gradient.h"
#include "commands/Commands.h"
#include "escape/SmoothColouring.h"
#include "surface/Surface.h"

namespace galleri {

namespace {

// A pass through the palette spans 1/64 of an iteration to 2^20 of them.
constexpr double kLeastDensity = 0x1p-6;
constexpr double kMostDensity = 0x1p20;

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// A palette file by its name without the folders.
std::string PaletteName(const std::string& palette) {
    const size_t slash = palette.find_last_of('/');
    return slash == std::string::npos ? palette : palette.substr(slash + 1);
}

// The offset moved `entries` gradient entries on, kept in [0, 1): in steps
// of 2^-12 from 0 it stays exact and short in the picture's text.
double MovedOffset(double offset, int entries) {
    const double moved = offset + static_cast<double>(entries) / Gradient::kEntries;
    return moved - std::floor(moved);
}

}  // namespace

bool Explorer::SameColours(const ColouringChoice& a, const ColouringChoice& b) {
    if (a.smooth != b.smooth || a.supersample != b.supersample) {
        return false;
    }
    return !a.smooth || (a.palette == b.palette && a.checksum == b.checksum &&
                         a.density == b.density && a.offset == b.offset);
}

bool Explorer::SetColouring(const ColouringChoice& choice, std::vector<Stop> stops, bool redraw) {
    std::shared_ptr<const SmoothColouring> smooth;
    try {
        smooth = std::make_shared<const SmoothColouring>(stops, choice.density, choice.offset);
    } catch (const std::exception& e) {
        view_.ShowNote(QStringLiteral("These colours cannot be drawn: ") +
                       QString::fromUtf8(e.what()));
        return false;
    }
    colouring_ = choice;
    colouring_.supersample = std::clamp(choice.supersample, 1, kMaxSupersample);
    paletteStops_ = std::move(stops);
    smooth_ = std::move(smooth);
    if (redraw) {
        ColouringChanged(colouring_.smooth ? ColouringText() : "the figure's own colours");
    } else {
        emit colouringChanged();
    }
    return true;
}

void Explorer::SetSmooth(bool on) {
    if (colouring_.smooth == on) {
        return;
    }
    colouring_.smooth = on;
    if (!on) {
        cycleTimer_.stop();
    }
    ColouringChanged(on ? ColouringText() : "the figure's own colours");
}

void Explorer::ScaleDensity(bool denser) {
    ColouringChoice next = colouring_;
    next.smooth = true;  // as --density chooses the smooth colouring
    next.density =
        std::clamp(denser ? next.density / 2 : next.density * 2, kLeastDensity, kMostDensity);
    if (next.density == colouring_.density && colouring_.smooth) {
        if (Explorable()) {
            ShowZoom(denser ? "the densest colours there are" : "the widest colours there are");
        }
        return;
    }
    SetColouring(next, paletteStops_);
}

void Explorer::StepOffset(int steps) {
    ColouringChoice next = colouring_;
    next.smooth = true;
    next.offset = MovedOffset(next.offset, steps * kOffsetStepEntries);
    SetColouring(next, paletteStops_);
}

void Explorer::SetCycling(bool on) {
    if (on == Cycling()) {
        return;
    }
    if (on) {
        cycleTimer_.start();
        if (!colouring_.smooth) {
            colouring_.smooth = true;
            ColouringChanged("colours cycling");
        } else {
            emit colouringChanged();
            if (Explorable()) {
                ShowZoom("colours cycling");
            }
        }
        return;
    }
    cycleTimer_.stop();
    emit colouringChanged();
    if (Explorable()) {
        // The colours shown were moved on from stored values: the exact
        // picture of where the cycling stopped.
        if (viewPending_ && !drawing_) {
            StartJob(true);
        }
        ShowZoom("cycling stopped");
    }
}

void Explorer::CycleStep() {
    if (!Explorable() || !colouring_.smooth || (drawing_ && !CanRecolour())) {
        return;  // a picture being drawn is caught up with first
    }
    colouring_.offset = MovedOffset(colouring_.offset, kCycleEntries);
    smooth_ = std::make_shared<const SmoothColouring>(paletteStops_, colouring_.density,
                                                      colouring_.offset);
    ColouringChanged({});
}

void Explorer::SetSupersample(int samples) {
    samples = std::clamp(samples, 1, kMaxSupersample);
    if (samples == colouring_.supersample) {
        return;
    }
    colouring_.supersample = samples;
    ColouringChanged(samples > 1
                         ? "supersample " + std::to_string(samples) + "x" + std::to_string(samples)
                         : "one sample a pixel");
}

std::string Explorer::ColouringText() const {
    std::string text;
    if (colouring_.smooth) {
        text = "smooth, palette " + PaletteName(colouring_.palette) + ", density " +
               Number(colouring_.density);
        if (Cycling()) {
            text += ", cycling";
        } else if (colouring_.offset != kDefaultOffset) {
            text += ", offset " + Number(colouring_.offset);
        }
    }
    if (colouring_.supersample > 1) {
        const std::string n = std::to_string(colouring_.supersample);
        text += (text.empty() ? "" : ", ") + std::string("supersample ") + n + "x" + n;
    }
    return text;
}

const SmoothColouring* Explorer::CommandColouring(const Command& command) const {
    return colouring_.smooth && command.plane != nullptr ? smooth_.get() : nullptr;
}

bool Explorer::CanRecolour() const {
    const ViewFrame frame = Frame();
    return exactValues_ && exactView_ && colouring_.smooth && exactColouring_.smooth &&
           colouring_.supersample == 1 && exactColouring_.supersample == 1 &&
           colouring_.density == exactColouring_.density && SameView(targetView_, *exactView_) &&
           exactBudget_ == budget_ && exactValues_->width == frame.width &&
           exactValues_->height == frame.height;
}

int Explorer::RecolourShift() const {
    const double entries = (colouring_.offset - exactColouring_.offset) * Gradient::kEntries;
    return static_cast<int>(std::lround(std::fmod(entries, Gradient::kEntries)));
}

void Explorer::ColouringChanged(const std::string& note) {
    emit colouringChanged();
    if (!Explorable()) {
        if (command_ != nullptr && !figure_ && !note.empty()) {
            view_.ShowNote(
                QStringLiteral("This figure keeps its own colours; the choice is for "
                               "the figures of the plane"));
        }
        return;
    }
    EndWheel();
    if (CanRecolour()) {
        // No point computed again: the values of the picture, coloured anew.
        Bitmap picture;
        Recolour(*exactValues_, *smooth_, RecolourShift(), picture);
        const QImage image = ToDisplayImage(picture);
        shownView_ = targetView_;
        view_.ShowViewImage(image);
        if (colouring_.offset == exactColouring_.offset) {
            // Another palette only: the very colours the scan gives.
            CancelJob();
            viewPending_ = false;
            exactColouring_ = colouring_;
            exactImage_ = image;
            surface_.Picture() = std::move(picture);
            emit viewDrawn();
        } else if (Cycling()) {
            // Exact once the cycling stops.
            CancelJob();
            viewPending_ = true;
        } else {
            // An offset between entries may put a rare pixel one entry
            // further: the exact picture follows.
            viewPending_ = true;
            StartJob(true);
        }
    } else if (exactView_ && SameView(targetView_, *exactView_) && exactBudget_ == budget_ &&
               SameColours(exactColouring_, colouring_)) {
        ShowExact();
    } else {
        viewPending_ = true;
        StartJob(SameView(targetView_, shownView_));
    }
    if (!note.empty()) {
        ShowZoom(note);
    }
}

}  // namespace galleri
