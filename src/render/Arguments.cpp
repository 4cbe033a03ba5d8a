#include "render/Arguments.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "colour/BuiltinPalettes.h"
#include "colour/PaletteChecksum.h"
#include "colour/PaletteFiles.h"
#include "commands/Commands.h"
#include "render/VideoArguments.h"
#include "surface/QuoteForMessage.h"
#include "view/LocationFile.h"
#include "view/ViewText.h"

namespace galleri {

namespace {

ParseResult Fail(const std::string& what, UsageHint hint = UsageHint::Help) {
    const OptionsResult usage = UsageError(Program::Render, what, hint);
    ParseResult r;
    r.error = usage.error;
    r.status = usage.status;
    return r;
}

std::string Quote(std::string_view s) {
    return QuoteForMessage(s, 60);
}

// Reads a file of at most a few megabytes (a location file), or says why
// not.
bool ReadSmallFile(const std::string& path, std::string& text, std::string& why) {
    constexpr size_t kMost = 16 << 20;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        why = std::strerror(errno);
        return false;
    }
    char buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() <= kMost) {
        text.append(buffer, n);
    }
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (failed) {
        why = std::strerror(error);
        return false;
    }
    if (text.size() > kMost) {
        why = "it is larger than 16 MB";
        return false;
    }
    return true;
}

// Levenshtein distance, of short names.
size_t Distance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = up;
        }
    }
    return row[b.size()];
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// The figures whose item name or caption is nearest `name`, ignoring case:
// those equal to it but for case, else those at the least distance of at
// most 2 (at most three of them).
std::vector<const Command*> NearestFigures(std::string_view name) {
    const std::string wanted = Lower(name);
    std::vector<const Command*> best;
    size_t bestDistance = 3;
    for (const Command& c : Commands()) {
        if (c.kind != CommandKind::Figure || !c.Enabled()) {
            continue;
        }
        const size_t d =
            std::min(Distance(wanted, Lower(c.item)), Distance(wanted, Lower(c.caption)));
        if (d > 2) {
            continue;
        }
        if (d < bestDistance) {
            bestDistance = d;
            best.clear();
        }
        if (d == bestDistance && best.size() < 3) {
            best.push_back(&c);
        }
    }
    return best;
}

// Resolves an item name or caption to an enabled figure command.
std::string ResolveFigure(RenderRequest& r, std::string_view name) {
    const Command* c = FindCommand(name);
    if (c == nullptr) {
        std::string error = "unknown figure " + Quote(name);
        const std::vector<const Command*> near = NearestFigures(name);
        for (size_t k = 0; k < near.size(); ++k) {
            error += k == 0 ? ", perhaps " : k + 1 == near.size() ? " or " : ", ";
            error += std::string(near[k]->item) + " (\"" + near[k]->caption + "\")";
        }
        return error;
    }
    if (c->kind != CommandKind::Figure) {
        return Quote(name) + " is not a figure";
    }
    if (!c->Enabled()) {
        return "figure " + Quote(name) + " is not built yet";
    }
    r.figure = c;
    return {};
}

// The built-in palettes nearest `name` as "perhaps fire" (or "perhaps dusk
// or ice"), ignoring case, at a distance of at most 2; empty when none is.
std::string NearestPalettes(std::string_view name) {
    const std::string wanted = Lower(name);
    std::vector<std::string> best;
    size_t bestDistance = 3;
    for (const BuiltinPalette& p : BuiltinPalettes()) {
        const size_t d = Distance(wanted, Lower(p.palette.name));
        if (d < bestDistance) {
            bestDistance = d;
            best.clear();
        }
        if (d == bestDistance && best.size() < 3) {
            best.push_back(p.palette.name);
        }
    }
    std::string text;
    for (size_t k = 0; k < best.size(); ++k) {
        text += k == 0 ? ", perhaps " : k + 1 == best.size() ? " or " : ", ";
        text += best[k];
    }
    return text;
}

bool EndsWithLower(std::string_view s, std::string_view end) {
    return s.size() >= end.size() && Lower(s.substr(s.size() - end.size())) == end;
}

bool HasPaletteExtension(std::string_view value) {
    for (const char* ext : {".map", ".gpl", ".ggr", ".ugr"}) {
        if (EndsWithLower(value, ext)) {
            return true;
        }
    }
    return false;
}

// Whether --palette names a file rather than a built-in palette: by a
// palette file's extension, or FILE.ugr:NAME.
bool NamesPaletteFile(std::string_view value) {
    return HasPaletteExtension(value) || Lower(value).find(".ugr:") != std::string::npos;
}

// Reads the palette file --palette names. A name that ends in a palette
// file's extension is the file; otherwise FILE.ugr:NAME, split at the last
// ".ugr:", is the gradient NAME of the .ugr file FILE.ugr.
PaletteResult ReadPaletteFile(const std::string& value) {
    const size_t ugr = Lower(value).rfind(".ugr:");
    if (!HasPaletteExtension(value) && ugr != std::string::npos) {
        return LoadPalette(value.substr(0, ugr + 4), std::string_view(value).substr(ugr + 5));
    }
    return LoadPalette(value);
}

// The colouring the options ask for, into the request: --palette, --density
// and --offset choose the smooth colouring unless --colouring preset says
// otherwise, which is an error; the palette is read and checked here, so that
// a bad one stops the run before anything is drawn.
ParseResult ResolveColouring(const Options& o, RenderRequest& req) {
    const char* paletteOption = o.palette           ? "--palette"
                                : o.density         ? "--density"
                                : o.offset          ? "--offset"
                                : o.paletteChecksum ? "--palette-checksum"
                                                    : nullptr;
    if (o.smooth == false && paletteOption != nullptr) {
        return Fail(std::string(paletteOption) +
                    " is for the smooth colouring, and --colouring preset is given");
    }
    ColouringChoice& choice = req.colouring;
    choice.smooth = o.smooth.value_or(paletteOption != nullptr);
    if (!choice.smooth) {
        return {};
    }
    if (!req.figure->Plane()) {
        return Fail(std::string(paletteOption != nullptr ? paletteOption : "--colouring smooth") +
                    " is for the figures of the plane, and " + Quote(req.figure->caption) +
                    " keeps its own colours");
    }
    choice.palette = o.palette.value_or(kDefaultPalette);
    choice.density = o.density.value_or(kDefaultDensity);
    choice.offset = o.offset.value_or(kDefaultOffset);
    if (const Palette* builtin = FindBuiltinPalette(choice.palette)) {
        if (o.paletteChecksum) {
            return Fail("--palette-checksum is for a palette file, and " + Quote(choice.palette) +
                        " is built in");
        }
        req.paletteStops = builtin->stops;
        return {};
    }
    if (!NamesPaletteFile(choice.palette)) {
        return Fail("unknown palette " + Quote(choice.palette) + NearestPalettes(choice.palette),
                    UsageHint::Palettes);
    }
    PaletteResult file = ReadPaletteFile(choice.palette);
    if (!file) {
        return Fail(file.error);
    }
    choice.checksum = PaletteChecksumText(file.palette->stops);
    if (o.paletteChecksum && *o.paletteChecksum != choice.checksum) {
        return Fail("palette " + Quote(choice.palette) + " is not the one the picture was drawn " +
                    "with: its colours' checksum is " + choice.checksum + ", not " +
                    *o.paletteChecksum);
    }
    req.paletteStops = std::move(file.palette->stops);
    return {};
}

}  // namespace

ResolvedView ResolveView(const Command& figure, std::string_view text, int width, int height) {
    ResolvedView result;
    // A view that doubles draw without blocks is drawn as it always was; a
    // deeper one by perturbation.
    const ParsedView view = ParseView(text);
    if (view.view && DrawnInDoubles(figure, ToDeepRect(*view.view), width, height)) {
        result.view = view.view;
        return result;
    }
    ParsedDeepView deep = ParseDeepView(text);
    if (!deep.view) {
        result.error = "bad view " + Quote(text) + ": " + deep.error;
        return result;
    }
    // Deep views are small ones: a number no double holds is as out of
    // range as it always was.
    for (const BigFloat* edge :
         {&deep.view->left, &deep.view->right, &deep.view->bottom, &deep.view->top}) {
        if (!std::isfinite(edge->ToDouble())) {
            result.error = "bad view " + Quote(text) + ": " + view.error;
            return result;
        }
    }
    if (const std::optional<PlaneRect> doubles = ToPlaneRect(*deep.view);
        doubles && DrawnInDoubles(figure, *deep.view, width, height)) {
        result.view = doubles;
    } else {
        result.deepView = std::move(deep.view);
    }
    return result;
}

ParseResult ParseArguments(const std::vector<std::string>& args) {
    const OptionsResult parsed = ParseOptions(Program::Render, args);
    if (!parsed.Ok()) {
        ParseResult r;
        r.error = parsed.error;
        r.status = parsed.status;
        return r;
    }
    const Options& o = parsed.options;
    ParseResult result;
    RenderRequest& req = result.request;
    req.action = o.action;
    req.width = o.width;
    req.height = o.height;
    req.output = o.output;
    req.scalarEngine = o.scalarEngine;
    req.threads = o.threads;

    switch (o.action) {
        case Action::Help:
        case Action::Version:
            return result;
        case Action::List:
            return o.figure ? Fail("--list takes no figure") : result;
        case Action::ListPalettes:
            return o.figure ? Fail("--list-palettes takes no figure") : result;
        case Action::Render:
            break;
    }
    if (!o.figure) {
        return Fail("no figure given", UsageHint::Figures);
    }
    const std::string error = ResolveFigure(req, *o.figure);
    if (!error.empty()) {
        return Fail(error, UsageHint::Figures);
    }
    if ((o.view || o.iterations) && !req.figure->Plane()) {
        return Fail(std::string(o.view ? "--view" : "--iterations") +
                    " needs a figure of the plane, and " + Quote(*o.figure) + " is not one");
    }
    req.iterations = o.iterations;
    if (o.location) {
        if (o.view) {
            return Fail("--view and --location both give the view; give one");
        }
        const std::optional<PlaneFigure> plane = req.figure->Plane();
        if (!plane || plane->params.kind != IterationKind::Mandelbrot) {
            return Fail("--location needs one of the Mandelbrot figures, and " + Quote(*o.figure) +
                        " is not one");
        }
        std::string text;
        std::string why;
        if (!ReadSmallFile(*o.location, text, why)) {
            return Fail("cannot read the location file " + Quote(*o.location) + ": " + why);
        }
        ParsedLocation location = ParseLocation(text);
        if (!location.location) {
            return Fail("bad location file " + Quote(*o.location) + ": " + location.error);
        }
        if (!req.iterations) {
            req.iterations = location.location->iterations;
        }
        // A shallow location is drawn by the double engines, its edges
        // rounded to doubles far finer than a pixel.
        DeepRect view = LocationView(*location.location, req.width, req.height);
        const PlaneRect rounded{view.left.ToDouble(), view.right.ToDouble(), view.bottom.ToDouble(),
                                view.top.ToDouble()};
        if (DrawnInDoubles(*req.figure, ToDeepRect(rounded), req.width, req.height)) {
            req.view = rounded;
        } else {
            req.deepView = std::move(view);
        }
    }
    if (o.view) {
        ResolvedView view = ResolveView(*req.figure, *o.view, req.width, req.height);
        if (!view.error.empty()) {
            return Fail(view.error);
        }
        req.view = view.view;
        req.deepView = std::move(view.deepView);
    }
    if (ParseResult colouring = ResolveColouring(o, req); !colouring.Ok()) {
        return colouring;
    }
    if (o.supersample && *o.supersample > 1) {
        if (!req.figure->Plane()) {
            return Fail("--supersample is for the figures of the plane, and " +
                        Quote(req.figure->caption) + " is drawn by lines and points");
        }
        req.colouring.supersample = *o.supersample;
    }
    // A video's frames are stills with the same options.
    if (o.video.Any()) {
        const std::string error = ResolveVideo(o, req);
        return error.empty() ? result : Fail(error);
    }
    if (req.output.empty()) {
        req.output = std::string(req.figure->item) + ".png";
    }
    return result;
}

ParseResult ParseArguments(int argc, const char* const* argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    return ParseArguments(args);
}

std::string HelpText() {
    return HelpText(Program::Render);
}

}  // namespace galleri
