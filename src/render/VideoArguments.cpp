#include "render/VideoArguments.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "commands/Commands.h"
#include "surface/QuoteForMessage.h"
#include "view/LocationFile.h"
#include "view/ViewText.h"

namespace galleri {

namespace {

std::string Quote(std::string_view s) {
    return QuoteForMessage(s, 60);
}

std::string Lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

// A location file's view, for --to FILE; nothing when `path` is no readable
// location (then the text is taken for a view and refused as one).
std::optional<DeepRect> LocationTarget(const std::string& path, int width, int height) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string text;
    text.resize(1 << 16);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    const ParsedLocation location = ParseLocation(text);
    if (!location.location) {
        return std::nullopt;
    }
    return LocationView(*location.location, width, height);
}

// The view of --to or --from, as a still draws it; `error` when the text is
// no view of the figure.
std::optional<ExploreView> EndView(const Command& figure, const std::string& option,
                                   const std::string& text, bool mayBeLocation, int width,
                                   int height, std::string& error) {
    ResolvedView resolved = ResolveView(figure, text, width, height);
    if (resolved.error.empty()) {
        if (resolved.view) {
            return ExploreView(*resolved.view);
        }
        return FrameView(figure, *resolved.deepView, width, height);
    }
    if (mayBeLocation) {
        if (const std::optional<DeepRect> location = LocationTarget(text, width, height)) {
            const std::optional<PlaneFigure> plane = figure.Plane();
            if (plane->params.kind != IterationKind::Mandelbrot) {
                error = "--to takes a location file for the Mandelbrot figures, and " +
                        Quote(figure.caption) + " is not one";
                return std::nullopt;
            }
            // A location draws its imaginary axis down unless it says
            // otherwise; the dive keeps the first view's, which points up.
            DeepRect view = *location;
            if (view.top < view.bottom) {
                std::swap(view.top, view.bottom);
            }
            return FrameView(figure, view, width, height);
        }
    }
    error = option + ": " + resolved.error;
    return std::nullopt;
}

}  // namespace

std::string ViewText(const ExploreView& view) {
    return view.Deep() ? FormatDeepView(*view.deep) : FormatView(view.plane);
}

ExploreView FrameView(const Command& figure, const DeepRect& view, int width, int height) {
    const DeepRect settled = Settled(view);
    ResolvedView resolved = ResolveView(figure, FormatDeepView(settled), width, height);
    if (!resolved.error.empty()) {
        throw std::range_error(resolved.error);
    }
    return resolved.view ? ExploreView(*resolved.view) : ExploreView(std::move(*resolved.deepView));
}

std::string ResolveVideo(const Options& o, RenderRequest& req) {
    const VideoOptions& v = o.video;
    if (!v.file) {
        return "--to, --from, --seconds, --fps, --crf, --keyframes, --frames, --from-frames and "
               "--keep-partial make a video: give --video FILE";
    }
    if (o.view || o.location) {
        return "--view and --location draw a picture; a video goes from the figure's own view "
               "(or --from VIEW) to --to VIEW";
    }
    VideoRequest video;
    video.file = *v.file;
    const std::string name = Lower(video.file);
    if (name.ends_with(".mp4")) {
        video.format = VideoFormat::Mp4;
    } else if (name.ends_with(".webm")) {
        video.format = VideoFormat::WebM;
    } else {
        return "the video " + Quote(video.file) + " must be named .mp4 (H.264) or .webm (VP9)";
    }
    const std::optional<PlaneFigure> plane = req.figure->Plane();
    if (!plane) {
        return "a video zooms into a figure of the plane, and " + Quote(req.figure->caption) +
               " is not one";
    }
    if (!v.to) {
        return "a video needs --to VIEW, the view it ends at";
    }
    if (!v.seconds) {
        return "a video needs --seconds S, its length";
    }
    video.fps = v.fps.value_or(30);
    video.frames = std::llround(*v.seconds * video.fps);
    if (video.frames < 2) {
        char length[32];
        std::snprintf(length, sizeof length, "%g", *v.seconds);
        return std::string("a video of ") + length + " seconds at " + std::to_string(video.fps) +
               " frames a second has fewer than two frames";
    }
    if (video.format == VideoFormat::Mp4 && (req.width % 2 != 0 || req.height % 2 != 0)) {
        return "H.264 needs an even width and height, and " + std::to_string(req.width) + "x" +
               std::to_string(req.height) + " is not; try " +
               std::to_string(req.width + req.width % 2) + "x" +
               std::to_string(req.height + req.height % 2);
    }
    video.crf = v.crf.value_or(DefaultCrf(video.format));
    if (video.crf > MostCrf(video.format)) {
        return "bad quality " + std::to_string(video.crf) + ": " + CodecName(video.format) +
               " takes 0 (best) to " + std::to_string(MostCrf(video.format));
    }
    video.keyframes = v.keyframes;
    video.keepPartial = v.keepPartial;

    std::string error;
    const std::optional<ExploreView> to =
        EndView(*req.figure, "--to", *v.to, true, req.width, req.height, error);
    if (!to) {
        return error;
    }
    video.to = *to;
    if (v.from) {
        const std::optional<ExploreView> from =
            EndView(*req.figure, "--from", *v.from, false, req.width, req.height, error);
        if (!from) {
            return error;
        }
        video.from = *from;
        video.fromOwn = SameView(video.from, ExploreView(plane->own));
    } else {
        video.from = ExploreView(plane->own);
    }
    const DeepRect a = video.from.Exact(), b = video.to.Exact();
    if ((a.right - a.left).Sign() != (b.right - b.left).Sign() ||
        (a.top - a.bottom).Sign() != (b.top - b.bottom).Sign()) {
        return "the views of --from and --to are mirrored against each other (their LEFT,RIGHT "
               "or BOTTOM,TOP run opposite ways): a zoom cannot turn one into the other";
    }

    if (v.firstFrame) {
        if (v.fromFrames) {
            return "--frames draws frames and --from-frames encodes them: give one";
        }
        if (v.keepPartial) {
            return "--keep-partial keeps a partial video, and --frames writes none";
        }
        if (o.output.empty()) {
            return "--frames needs --output DIR, the folder the frames go to";
        }
        if (*v.lastFrame >= video.frames) {
            return "--frames " + std::to_string(*v.firstFrame) + "-" +
                   std::to_string(*v.lastFrame) + ": the video has " +
                   std::to_string(video.frames) + " frames, 0 to " +
                   std::to_string(video.frames - 1);
        }
        video.first = v.firstFrame;
        video.last = v.lastFrame;
        video.folder = o.output;
    } else if (!o.output.empty()) {
        return "--output names the folder of --frames; a video goes to --video FILE";
    }
    video.fromFrames = v.fromFrames;
    req.video = std::move(video);
    return {};
}

}  // namespace galleri
