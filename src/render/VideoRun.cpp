#include "render/VideoRun.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <list>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "commands/Commands.h"
#include "commands/Options.h"
#include "escape/FastEngine.h"
#include "escape/SizeLimits.h"
#include "render/DrawStill.h"
#include "render/VideoArguments.h"
#include "surface/Errors.h"
#include "surface/HeadlessPlatform.h"
#include "surface/OutputFile.h"
#include "surface/QuoteForMessage.h"
#include "surface/SaveError.h"
#include "surface/Surface.h"
#include "video/BudgetPlan.h"
#include "video/FrameFiles.h"
#include "video/FrameQueue.h"
#include "video/KeyframeBlend.h"
#include "video/VideoEncoder.h"
#include "video/ZoomPath.h"

namespace galleri {

namespace {

constexpr int kExitStopped = 130;  // as a shell reports a program ended by Ctrl+C

// Keyframes pay when at least this many frames lie between two doublings.
constexpr double kLeastFramesALevel = 2;

bool Cancelled(const std::atomic<bool>* cancel) {
    return cancel != nullptr && cancel->load();
}

std::string Path(const std::string& folder, int64_t index) {
    return (std::filesystem::path(folder) / FrameFileName(index)).string();
}

// The stills of a video's path: each position's view and budget as a still
// of the same options draws them.
class PathStills {
  public:
    PathStills(const RenderRequest& request, const std::atomic<bool>* cancel)
        : request_(request),
          video_(*request.video),
          path_(video_.from.Exact(), video_.to.Exact(), video_.frames) {
        if (!request.iterations) {
            const PlaneFigure figure = *request.figure->Plane();
            plan_.emplace(
                figure, [this](double t) { return ViewAt(t); },
                ViewFrame{request.width, request.height, figure.scan.divisorExtra},
                path_.Log2Step(), video_.fromOwn, request.threads, cancel);
        }
    }

    const ZoomPath& Path() const { return path_; }

    ExploreView ViewAt(double t) const {
        if (t <= 0) {
            return video_.from;
        }
        if (t >= static_cast<double>(video_.frames - 1)) {
            return video_.to;
        }
        return FrameView(*request_.figure, path_.At(t), request_.width, request_.height);
    }

    // The still request of position t: the video's own options with the
    // view and the budget there, or `budget` when given.
    RenderRequest At(double t, std::optional<int64_t> budget = std::nullopt) {
        RenderRequest still = request_;
        still.video.reset();
        ExploreView view = ViewAt(t);
        if (view.Deep()) {
            still.view.reset();
            still.deepView = std::move(*view.deep);
        } else {
            still.view = view.plane;
            still.deepView.reset();
        }
        if (budget) {
            still.iterations = budget;
        } else if (plan_) {
            still.iterations = plan_->At(t);
        }
        return still;
    }

  private:
    const RenderRequest& request_;
    const VideoRequest& video_;
    ZoomPath path_;
    std::optional<BudgetPlan> plan_;
};

// Draws stills headless, one after another on one surface.
class StillDrawer {
  public:
    // An engine of its own, so that the window may draw with the program's
    // while a video is made.
    StillDrawer(const RenderRequest& request, const std::atomic<bool>* cancel)
        : platform_(request.width, request.height),
          surface_(platform_),
          fast_(request.threads),
          cancel_(cancel) {
        platform_.watched = false;
        platform_.onMessages = [this] {
            if (Cancelled(cancel_)) {
                surface_.RequestAbort();
            }
        };
        if (request.scalarEngine) {
            surface_.SetEngine(&scalar_);
        } else {
            surface_.SetEngine(&fast_);
        }
    }

    // The picture, or nothing when the drawing was stopped.
    std::optional<Bitmap> Draw(const RenderRequest& still) {
        DrawStill(surface_, still, cancel_);
        if (Cancelled(cancel_)) {
            return std::nullopt;
        }
        return surface_.Picture();
    }

  private:
    HeadlessPlatform platform_;
    Surface surface_;
    ScalarEngine scalar_;
    FastEngine fast_;
    const std::atomic<bool>* cancel_;
};

// The frames of a video: each the still of its view, or with --keyframes
// made from the two exact keyframes about it.
class FrameMaker {
  public:
    FrameMaker(const RenderRequest& request, const std::atomic<bool>* cancel)
        : stills_(request, cancel), drawer_(request, cancel), threads_(request.threads) {
        const ZoomPath& path = stills_.Path();
        const PlaneFigure figure = *request.figure->Plane();
        fixed_ = path.FixedPoint({request.width, request.height, figure.scan.divisorExtra});
        keyframes_ = request.video->keyframes && fixed_ &&
                     std::fabs(path.Log2Step()) * kLeastFramesALevel <= 1;
    }

    // Frame k, or nothing when stopped.
    std::optional<Bitmap> Frame(int64_t k, std::string& stillText) {
        const ZoomPath& path = stills_.Path();
        const auto t = static_cast<double>(k);
        const double last = static_cast<double>(path.Frames() - 1);
        const double log2Step = path.Log2Step();
        const int64_t level = ZoomLevel(t, log2Step);
        const double a = ZoomLevelStart(level, log2Step);
        const double b = std::min(ZoomLevelStart(level + 1, log2Step), last);
        RenderRequest still = stills_.At(t);
        stillText = PictureText(still);
        if (!keyframes_ || t - a < 1e-6 || t >= last) {
            return drawer_.Draw(still);
        }
        // Both keyframes with the frame's budget: the next level's may be
        // another, which would show as a rectangle of other colours.
        const std::optional<int64_t> budget = still.iterations;
        std::erase_if(cache_, [&](const CachedKeyframe& kf) {
            return kf.budget != budget || (kf.t != a && kf.t != b);
        });
        const Bitmap* pa = Keyframe(a, budget);
        const Bitmap* pb = pa != nullptr ? Keyframe(b, budget) : nullptr;
        if (pb == nullptr) {
            return std::nullopt;
        }
        // The frame's width against each keyframe's, 2^-log2Step a frame
        // after it: below 1 for the larger view, the outer.
        const auto scaled = [&](const Bitmap* picture, double tk) {
            return galleri::Keyframe{picture, std::exp2((tk - t) * path.Log2StepX()),
                                     std::exp2((tk - t) * path.Log2StepY())};
        };
        galleri::Keyframe outer = scaled(pa, a), inner = scaled(pb, b);
        if (outer.scaleX > 1) {
            std::swap(outer, inner);  // zooming out: the later keyframe is the larger
        }
        return BlendKeyframes(outer, inner, *fixed_, threads_);
    }

  private:
    struct CachedKeyframe {
        double t;
        std::optional<int64_t> budget;
        Bitmap picture;
    };

    // The exact picture at position t with that budget, drawn once while it
    // is needed.
    const Bitmap* Keyframe(double t, std::optional<int64_t> budget) {
        for (CachedKeyframe& kf : cache_) {
            if (kf.t == t && kf.budget == budget) {
                return &kf.picture;
            }
        }
        std::optional<Bitmap> picture = drawer_.Draw(stills_.At(t, budget));
        if (!picture) {
            return nullptr;
        }
        cache_.push_back({t, budget, std::move(*picture)});
        return &cache_.back().picture;
    }

    PathStills stills_;
    StillDrawer drawer_;
    int threads_;
    std::optional<PicturePoint> fixed_;
    bool keyframes_ = false;
    std::list<CachedKeyframe> cache_;  // keeps its pictures in place
};

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

std::string FrameCount(int64_t n) {
    return std::to_string(n) + (n == 1 ? " frame" : " frames");
}

// The maps other than z^2 + c iterate their deep differences in plain
// doubles: a view whose pixels lie closer than that is refused before any
// frame is drawn, as its still is.
void CheckReach(const RenderRequest& request) {
    const PlaneFigure figure = *request.figure->Plane();
    const IterationKind kind = figure.params.kind;
    if (kind == IterationKind::Mandelbrot || kind == IterationKind::Julia ||
        kind == IterationKind::BinaryDecomposition) {
        return;
    }
    const VideoRequest& video = *request.video;
    for (const ExploreView* end : {&video.from, &video.to}) {
        const DeepRect view = end->Exact();
        const double dx =
            ((view.right - view.left) / BigFloat(request.width + figure.scan.divisorExtra, 64))
                .ToDouble();
        const double dy =
            ((view.top - view.bottom) / BigFloat(request.height + figure.scan.divisorExtra, 64))
                .ToDouble();
        if (!(std::fabs(dx) > 1e-290 && std::fabs(dy) > 1e-290)) {
            throw RangeError(
                "the view is too deep for this map: its pixels lie closer than 1e-290 (only "
                "z^2 + c and its Julia sets go deeper)");
        }
    }
}

EncoderSettings Settings(const RenderRequest& request) {
    const VideoRequest& video = *request.video;
    return {video.format, request.width, request.height, video.fps, video.crf};
}

class Run {
  public:
    Run(const RenderRequest& request, const VideoHooks& hooks)
        : request_(request), video_(*request.video), hooks_(hooks) {}

    VideoOutcome Encode() {
        CheckFigureSize(request_.figure->item, request_.width, request_.height);
        CheckReach(request_);
        // The file first: a folder that cannot take it is told before any
        // frame is drawn.
        VideoEncoder encoder(video_.file, Settings(request_));
        FrameMaker maker(request_, hooks_.cancel);
        FrameQueue queue(
            [&encoder](int64_t, const Bitmap& frame, const std::string&) { encoder.Add(frame); });
        int64_t done = 0;
        for (int64_t k = 0; k < video_.frames; ++k) {
            std::string text;
            std::optional<Bitmap> frame = maker.Frame(k, text);
            if (!frame) {
                break;
            }
            queue.Push(k, std::move(*frame));
            Done(++done, video_.frames);
        }
        return Finish(queue, encoder, done, "");
    }

    VideoOutcome DrawFrames() {
        CheckFigureSize(request_.figure->item, request_.width, request_.height);
        CheckReach(request_);
        const std::string& folder = video_.folder;
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) {
            throw SaveError(folder, error.message());
        }
        {
            // Whether the folder takes a file, before anything is drawn.
            OutputFile probe(Path(folder, *video_.first));
        }
        const std::string identity = VideoIdentity(request_);
        FrameMaker maker(request_, hooks_.cancel);
        FrameQueue queue([&](int64_t k, const Bitmap& frame, const std::string& text) {
            WriteFrameFile(frame, Path(folder, k), text,
                           FrameVideoText(k, video_.frames, identity));
        });
        const int64_t total = *video_.last - *video_.first + 1;
        int64_t done = 0;
        for (int64_t k = *video_.first; k <= *video_.last; ++k) {
            std::string text;
            std::optional<Bitmap> frame = maker.Frame(k, text);
            if (!frame) {
                break;
            }
            queue.Push(k, std::move(*frame), std::move(text));
            Done(++done, total);
        }
        queue.Close();
        const std::string where =
            " of " + std::to_string(video_.frames) + " in " + QuoteForMessage(folder);
        const std::string range = done == 1 ? "frame " + std::to_string(*video_.first)
                                            : "frames " + std::to_string(*video_.first) + " to " +
                                                  std::to_string(*video_.first + done - 1);
        if (done < total) {
            return {kExitStopped,
                    "stopped after " + FrameCount(done) + " of " + std::to_string(total) +
                        (done > 0 ? "; wrote " + range + where : "; nothing written"),
                    true};
        }
        return {kExitDone, "wrote " + range + where + ", in " + Seconds(Elapsed())};
    }

    VideoOutcome FromFrames() {
        const std::string& folder = *video_.fromFrames;
        const std::string identity = VideoIdentity(request_);
        // Every frame is there and of this video before the file is begun.
        for (int64_t k = 0; k < video_.frames; ++k) {
            const std::string path = Path(folder, k);
            std::error_code error;
            if (!std::filesystem::exists(path, error)) {
                return {kExitUsage, "frame " + std::to_string(k) + " of " +
                                        std::to_string(video_.frames) + " is missing: no " +
                                        QuoteForMessage(path)};
            }
            const std::optional<std::string> text = ReadFrameVideoText(path);
            if (text != FrameVideoText(k, video_.frames, identity)) {
                return {kExitUsage, Foreign(path, k, text, identity)};
            }
        }
        VideoEncoder encoder(video_.file, Settings(request_));
        FrameQueue queue(
            [&encoder](int64_t, const Bitmap& frame, const std::string&) { encoder.Add(frame); });
        int64_t done = 0;
        for (int64_t k = 0; k < video_.frames && !Cancelled(hooks_.cancel); ++k) {
            const std::string path = Path(folder, k);
            Bitmap frame = ReadFrameFile(path);
            if (frame.Width() != request_.width || frame.Height() != request_.height) {
                throw FrameReadError(path, "it is " + std::to_string(frame.Width()) + "x" +
                                               std::to_string(frame.Height()) + ", not " +
                                               std::to_string(request_.width) + "x" +
                                               std::to_string(request_.height));
            }
            queue.Push(k, std::move(frame));
            Done(++done, video_.frames);
        }
        return Finish(queue, encoder, done, " from " + QuoteForMessage(folder));
    }

  private:
    void Done(int64_t done, int64_t total) {
        if (hooks_.onFrame) {
            hooks_.onFrame(done, total);
        }
    }

    double Elapsed() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

    // Ends the video: the whole of it, the frames so far (--keep-partial),
    // or nothing.
    VideoOutcome Finish(FrameQueue& queue, VideoEncoder& encoder, int64_t done,
                        const std::string& source) {
        const std::string file = QuoteForMessage(video_.file);
        if (done < video_.frames) {
            const std::string stopped =
                "stopped after " + FrameCount(done) + " of " + std::to_string(video_.frames);
            if (!video_.keepPartial || done == 0) {
                return {kExitStopped, stopped + "; nothing written", true};
            }
            queue.Close();
            encoder.Finish();
            return {kExitStopped, stopped + "; wrote " + file + " with them", true};
        }
        queue.Close();
        encoder.Finish();
        // How long the encoder's thread was busy tells whether it held the
        // drawing up.
        char rate[128];
        std::snprintf(rate, sizeof rate, " at %d frames a second (%.1f s)", video_.fps,
                      static_cast<double>(video_.frames) / video_.fps);
        return {kExitDone, "wrote " + file + ", " + FrameCount(video_.frames) + " of " +
                               std::to_string(request_.width) + "x" +
                               std::to_string(request_.height) + rate + source + ", in " +
                               Seconds(Elapsed()) + " (the encoder busy " +
                               Seconds(queue.BusySeconds()) + " beside the drawing)"};
    }

    std::string Foreign(const std::string& path, int64_t k, const std::optional<std::string>& text,
                        const std::string& identity) const {
        const std::string name = QuoteForMessage(path);
        const std::string wanted = " is not frame " + std::to_string(k) + " of this video";
        if (!text || !text->starts_with("frame ")) {
            return name + wanted + ": it is no frame of a Galleri video";
        }
        const size_t colon = text->find(": ");
        const std::string which = text->substr(0, colon);
        if (colon != std::string::npos && text->substr(colon + 2) == identity) {
            return name + wanted + ": it is its " + which;
        }
        return name + wanted + ": it is " + which + " of another video";
    }

    const RenderRequest& request_;
    const VideoRequest& video_;
    const VideoHooks& hooks_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace

std::string VideoIdentity(const RenderRequest& request) {
    const VideoRequest& video = *request.video;
    RenderRequest base = request;
    base.video.reset();
    base.view.reset();
    base.deepView.reset();
    return std::to_string(video.frames) + " frames from " + ViewText(video.from) + " to " +
           ViewText(video.to) + (video.keyframes ? " by keyframes" : "") + "; " + PictureText(base);
}

VideoOutcome RunVideo(const RenderRequest& request, const VideoHooks& hooks) {
    const std::string what = std::string(request.figure->caption) + " at " +
                             std::to_string(request.width) + "x" + std::to_string(request.height);
    const VideoRequest& video = *request.video;
    const std::string unwritten = video.DrawsFrameFiles() ? "" : "; nothing written";
    try {
        Run run(request, hooks);
        if (video.fromFrames) {
            return run.FromFrames();
        }
        return video.DrawsFrameFiles() ? run.DrawFrames() : run.Encode();
    } catch (const SaveError& e) {
        return {kExitWriteFailed, e.what()};
    } catch (const FrameReadError& e) {
        return {kExitWriteFailed, std::string(e.what()) + unwritten};
    } catch (const DrawingError& e) {
        return {kExitDrawingError, what + ": " + InUserWords(e) + unwritten};
    } catch (const std::bad_alloc&) {
        return {kExitNoMemory, "not enough memory to draw " + what + unwritten};
    } catch (const std::exception& e) {
        return {kExitDrawingError, "drawing " + what + " failed: " + e.what() + unwritten};
    }
}

}  // namespace galleri
