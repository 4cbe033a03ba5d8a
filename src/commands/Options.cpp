#include "commands/Options.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "surface/QuoteForMessage.h"

namespace galleri {

namespace {

// Arguments may hold any bytes: quoted for a message, and cut when long.
std::string Quote(std::string_view s) {
    return QuoteForMessage(s, 60);
}

// One whole number of 1 to INT32_MAX written with digits only.
std::optional<int> ParsePositive(std::string_view s) {
    if (s.empty() || s.size() > 12 ||
        !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int64_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || v < 1 ||
        v > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(v);
}

// Which programs take an option.
constexpr unsigned kWindow = 1;
constexpr unsigned kRender = 2;

unsigned Bit(Program program) {
    return program == Program::Window ? kWindow : kRender;
}

// An option: its names, the name of its value (nullptr for a flag), its
// line in the help text, the programs that take it, and what it does to the
// options. apply returns an error message, empty when the value is good.
struct Option {
    const char* longName;
    char shortName;
    const char* valueName;
    const char* help;
    unsigned programs;
    std::string (*apply)(Options&, std::string_view value);
};

std::string ApplySize(Options& o, std::string_view value) {
    const SizeResult s = ParseSize(value);
    if (!s.size) {
        return s.error;
    }
    o.width = s.size->first;
    o.height = s.size->second;
    return {};
}

std::string ApplyOutput(Options& o, std::string_view value) {
    if (value.empty()) {
        return "the output file name is empty";
    }
    o.output = std::string(value);
    return {};
}

std::string ApplyView(Options& o, std::string_view value) {
    o.view = std::string(value);
    return {};
}

std::string ApplyLocation(Options& o, std::string_view value) {
    if (value.empty()) {
        return "the location file name is empty";
    }
    o.location = std::string(value);
    return {};
}

std::string ApplyIterations(Options& o, std::string_view value) {
    const std::optional<int> n = ParsePositive(value);
    if (!n || *n > kMaxIterations) {
        return "bad iteration count " + Quote(value) + ": expected a whole number from 1 to " +
               std::to_string(kMaxIterations);
    }
    o.iterations = *n;
    return {};
}

std::string ApplyThreads(Options& o, std::string_view value) {
    const std::optional<int> n = ParsePositive(value);
    if (!n || *n > kMaxThreads) {
        return "bad thread count " + Quote(value) + ": expected a whole number from 1 to " +
               std::to_string(kMaxThreads);
    }
    o.threads = *n;
    return {};
}

std::string ApplyEngine(Options& o, std::string_view value) {
    if (value == "fast" || value == "scalar") {
        o.scalarEngine = value == "scalar";
        return {};
    }
    return "unknown engine " + Quote(value) + ": expected fast or scalar";
}

// The whole text as a finite number ("0.25", "-1e3"), else nullopt.
std::optional<double> ParseNumber(std::string_view s) {
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

std::string ApplyColouring(Options& o, std::string_view value) {
    if (value == "preset" || value == "smooth") {
        o.smooth = value == "smooth";
        return {};
    }
    return "unknown colouring " + Quote(value) + ": expected preset or smooth";
}

std::string ApplyPalette(Options& o, std::string_view value) {
    if (value.empty()) {
        return "the palette is empty: expected a palette's name or a palette file";
    }
    o.palette = std::string(value);
    return {};
}

std::string ApplyPaletteChecksum(Options& o, std::string_view value) {
    const bool hex =
        value.size() == 16 && std::all_of(value.begin(), value.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        });
    if (!hex) {
        return "bad palette checksum " + Quote(value) + ": expected 16 hexadecimal digits";
    }
    std::string lower(value);
    for (char& c : lower) {
        c = static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
    }
    o.paletteChecksum = lower;
    return {};
}

std::string ApplyDensity(Options& o, std::string_view value) {
    const std::optional<double> v = ParseNumber(value);
    if (!v || !(*v > 0)) {
        return "bad density " + Quote(value) + ": expected a number above 0, such as 20";
    }
    o.density = *v;
    return {};
}

std::string ApplyOffset(Options& o, std::string_view value) {
    const std::optional<double> v = ParseNumber(value);
    if (!v) {
        return "bad offset " + Quote(value) + ": expected a number, such as 0.25";
    }
    o.offset = *v;
    return {};
}

std::string ApplySupersample(Options& o, std::string_view value) {
    const std::optional<double> v = ParseNumber(value);
    if (!v || *v != std::floor(*v) || *v < 1 || *v > 8) {
        return "bad supersample " + Quote(value) +
               ": expected a whole number of samples a pixel each way, 1 to 8";
    }
    o.supersample = static_cast<int>(*v);
    return {};
}

std::string ApplyListPalettes(Options& o, std::string_view) {
    o.action = Action::ListPalettes;
    return {};
}

std::string ApplyList(Options& o, std::string_view) {
    o.action = Action::List;
    return {};
}

std::string ApplyHelp(Options& o, std::string_view) {
    o.action = Action::Help;
    return {};
}

std::string ApplyVersion(Options& o, std::string_view) {
    o.action = Action::Version;
    return {};
}

// Every option of both programs. A new option is one more row here and, if
// it needs one, a field of Options.
const std::array kOptions = {
    Option{"size", 's', "WxH",
           "picture size in pixels, each side 1 to 65535\n"
           "                        (default 483x609)",
           kRender, ApplySize},
    Option{"output", 'o', "FILE",
           "file to write (default ITEM.png): .jpg or .jpeg\n"
           "                        give JPEG, .png PNG, other names BMP",
           kRender, ApplyOutput},
    Option{"view", '\0', "LEFT,RIGHT,BOTTOM,TOP",
           "draw this rectangle of the plane instead of the\n"
           "                        figure's own (figures of the plane only)",
           kRender, ApplyView},
    Option{"location", '\0', "FILE",
           "draw the location in FILE (Re:, Im:, Zoom:,\n"
           "                        Iterations: lines, as deep-zoom programs share\n"
           "                        them; the Mandelbrot figures only)",
           kRender, ApplyLocation},
    Option{"iterations", 'i', "N",
           "give each point at most N iterations, 1 to 1000000000,\n"
           "                        instead of the figure's own number (figures of the\n"
           "                        plane only)",
           kRender, ApplyIterations},
    Option{"threads", 't', "N",
           "threads of the fast engine for escape-time figures,\n"
           "                        1 to 1024 (default: one per core)",
           kWindow | kRender, ApplyThreads},
    Option{"engine", 'e', "NAME",
           "escape-time engine: fast (default) or scalar, the\n"
           "                        plain one-thread reference",
           kWindow | kRender, ApplyEngine},
    Option{"colouring", '\0', "NAME",
           "colours of a figure of the plane: preset (its own,\n"
           "                        the default) or smooth (the escape count made\n"
           "                        continuous, through a palette)",
           kRender, ApplyColouring},
    Option{"palette", '\0', "NAME|FILE",
           "the smooth colouring's palette: a built-in one\n"
           "                        (default classic; see --list-palettes) or a .map,\n"
           "                        .gpl, .ggr or .ugr file (FILE.ugr:NAME for one\n"
           "                        gradient of a .ugr file); chooses smooth colouring",
           kRender, ApplyPalette},
    Option{"palette-checksum", '\0', "HEX",
           "draw only if the palette file's colours have this\n"
           "                        checksum, as a saved picture's text records it",
           kRender, ApplyPaletteChecksum},
    Option{"density", '\0', "X",
           "iterations one pass through the palette spans, a\n"
           "                        number above 0 (default 20); chooses smooth colouring",
           kRender, ApplyDensity},
    Option{"offset", '\0', "X",
           "where in the palette the count 0 falls, in passes\n"
           "                        (default 0; 0.5 is half way); chooses smooth colouring",
           kRender, ApplyOffset},
    Option{"supersample", '\0', "N",
           "N x N samples a pixel (1 to 8), averaged in linear\n"
           "                        light, for a figure of the plane (default 1)",
           kRender, ApplySupersample},
    Option{"video", '\0', "FILE",
           "write a zoom video instead of a picture: .mp4\n"
           "                        (H.264) or .webm (VP9)",
           kRender, [](Options& o, std::string_view v) { return ApplyVideoFile(o.video, v); }},
    Option{"to", '\0', "VIEW",
           "the view the video ends at, LEFT,RIGHT,BOTTOM,TOP\n"
           "                        or a location file",
           kRender, [](Options& o, std::string_view v) { return ApplyVideoTo(o.video, v); }},
    Option{"from", '\0', "VIEW", "the view it starts at (default: the figure's own)", kRender,
           [](Options& o, std::string_view v) { return ApplyVideoFrom(o.video, v); }},
    Option{"seconds", '\0', "S", "the video's length in seconds", kRender,
           [](Options& o, std::string_view v) { return ApplyVideoSeconds(o.video, v); }},
    Option{"fps", '\0', "N", "frames a second, 1 to 240 (default 30)", kRender,
           [](Options& o, std::string_view v) { return ApplyVideoFps(o.video, v); }},
    Option{"crf", '\0', "N",
           "the encoder's quality, 0 (best) to 51 for .mp4\n"
           "                        (default 20), to 63 for .webm (default 32)",
           kRender, [](Options& o, std::string_view v) { return ApplyVideoCrf(o.video, v); }},
    Option{"keyframes", '\0', nullptr,
           "draw exact frames only at every doubling of the\n"
           "                        zoom, the frames between by scaling them",
           kRender,
           [](Options& o, std::string_view) {
               o.video.keyframes = true;
               return std::string();
           }},
    Option{"frames", '\0', "A-B",
           "draw only frames A to B (from 0) of the video, as\n"
           "                        PNG files in the folder --output names",
           kRender, [](Options& o, std::string_view v) { return ApplyVideoFrames(o.video, v); }},
    Option{"from-frames", '\0', "DIR",
           "encode the video from the frames in DIR, which\n"
           "                        --frames drew, instead of drawing them",
           kRender,
           [](Options& o, std::string_view v) { return ApplyVideoFromFrames(o.video, v); }},
    Option{"keep-partial", '\0', nullptr, "on Ctrl+C, keep a video of the frames drawn so far",
           kRender,
           [](Options& o, std::string_view) {
               o.video.keepPartial = true;
               return std::string();
           }},
    Option{"list", 'l', nullptr, "list the figures and stop", kRender, ApplyList},
    Option{"list-palettes", '\0', nullptr, "list the built-in palettes and stop", kRender,
           ApplyListPalettes},
    Option{"help", 'h', nullptr, "show this help and stop", kWindow | kRender, ApplyHelp},
    Option{"version", 'v', nullptr, "show the version and stop", kWindow | kRender, ApplyVersion},
};

const Option* FindLong(Program program, std::string_view name) {
    for (const Option& o : kOptions) {
        if ((o.programs & Bit(program)) != 0 && name == o.longName) {
            return &o;
        }
    }
    return nullptr;
}

const Option* FindShort(Program program, char name) {
    for (const Option& o : kOptions) {
        if ((o.programs & Bit(program)) != 0 && o.shortName != '\0' && name == o.shortName) {
            return &o;
        }
    }
    return nullptr;
}

// Qt's own options (QGuiApplication's and QApplication's), which the window
// hands on to Qt, with one or two leading dashes. Those with a separate value
// take it as the next argument or after '='; the others may carry one after
// '=' (-qmljsdebugger=port).
struct QtOption {
    const char* name;
    bool separateValue;
};
constexpr std::array kQtOptions = {
    QtOption{"platform", true},        QtOption{"platformpluginpath", true},
    QtOption{"platformtheme", true},   QtOption{"plugin", true},
    QtOption{"qwindowgeometry", true}, QtOption{"qwindowicon", true},
    QtOption{"qwindowtitle", true},    QtOption{"session", true},
    QtOption{"display", true},         QtOption{"geometry", true},
    QtOption{"style", true},           QtOption{"stylesheet", true},
    QtOption{"reverse", false},        QtOption{"widgetcount", false},
    QtOption{"testability", false},    QtOption{"qmljsdebugger", false},
    QtOption{"nograb", false},         QtOption{"dograb", false},
};

const QtOption* FindQtOption(std::string_view arg) {
    std::string_view name = arg.substr(arg.starts_with("--") ? 2 : 1);
    name = name.substr(0, name.find('='));
    for (const QtOption& q : kQtOptions) {
        if (name == q.name) {
            return &q;
        }
    }
    return nullptr;
}

std::string Hint(Program program, UsageHint hint) {
    if (program == Program::Render) {
        switch (hint) {
            case UsageHint::Figures:
                return "see galleri-render --list for the figures";
            case UsageHint::Palettes:
                return "see galleri-render --list-palettes";
            case UsageHint::Help:
                break;
        }
        return "see galleri-render --help";
    }
    return "see galleri --help";
}

}  // namespace

const char* ProgramName(Program program) {
    return program == Program::Render ? "galleri-render" : "galleri";
}

OptionsResult UsageError(Program program, const std::string& what, UsageHint hint) {
    OptionsResult r;
    r.error = std::string(ProgramName(program)) + ": " + what + "; " + Hint(program, hint);
    r.status = kExitUsage;
    return r;
}

SizeResult ParseSize(std::string_view text) {
    SizeResult r;
    const size_t x = text.find_first_of("xX");
    const auto bad = [&](const std::string& why) {
        r.error = "bad size " + Quote(text) + ": " + why;
        return r;
    };
    if (x == std::string_view::npos) {
        return bad("expected WIDTHxHEIGHT, such as 483x609");
    }
    const std::optional<int> w = ParsePositive(text.substr(0, x));
    const std::optional<int> h = ParsePositive(text.substr(x + 1));
    if (!w || !h) {
        return bad("width and height must be positive whole numbers, such as 483x609");
    }
    if (*w > kMaxSide || *h > kMaxSide) {
        return bad("a side of more than " + std::to_string(kMaxSide) +
                   " pixels cannot be drawn (pixel coordinates are 16-bit)");
    }
    r.size = std::pair{*w, *h};
    return r;
}

OptionsResult ParseOptions(Program program, const std::vector<std::string>& args) {
    OptionsResult result;
    Options& options = result.options;
    bool optionsEnded = false;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (program == Program::Window) {
                return UsageError(program, "unexpected argument " + Quote(arg));
            }
            if (options.figure) {
                return UsageError(program, "more than one figure given (" + Quote(*options.figure) +
                                               " and " + Quote(arg) + ")");
            }
            options.figure = std::string(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const Option* option = nullptr;
        std::optional<std::string_view> inlineValue;
        std::string shown;
        if (arg.starts_with("--")) {
            const std::string_view body = arg.substr(2);
            const size_t eq = body.find('=');
            option = FindLong(program, body.substr(0, eq));
            if (eq != std::string_view::npos) {
                inlineValue = body.substr(eq + 1);
            }
            shown = "--" + std::string(body.substr(0, eq));
        } else if (arg.size() == 2) {
            option = FindShort(program, arg[1]);
            shown = std::string(arg);
        }
        if (option == nullptr && program == Program::Window) {
            if (const QtOption* qt = FindQtOption(arg)) {
                options.qtArguments.emplace_back(arg);
                if (qt->separateValue && arg.find('=') == std::string_view::npos) {
                    if (i + 1 >= args.size()) {
                        return UsageError(program, "option " + Quote(arg) + " needs a value");
                    }
                    options.qtArguments.push_back(args[++i]);
                }
                continue;
            }
        }
        if (option == nullptr) {
            return UsageError(program, "unknown option " + Quote(arg));
        }
        std::string_view value;
        if (option->valueName != nullptr) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return UsageError(program,
                                  "option " + shown + " needs a value (" + option->valueName + ")");
            }
        } else if (inlineValue) {
            return UsageError(program, "option " + shown + " takes no value");
        }
        const std::string error = option->apply(options, value);
        if (!error.empty()) {
            return UsageError(program, error);
        }
        if (options.action == Action::Help || options.action == Action::Version) {
            return result;  // always reachable, whatever follows
        }
    }
    return result;
}

std::string HelpText(Program program) {
    std::string text;
    if (program == Program::Render) {
        text =
            "Usage: galleri-render [--size WxH] [--output FILE] [--threads N]\n"
            "                      [--engine fast|scalar]\n"
            "                      [--view LEFT,RIGHT,BOTTOM,TOP | --location FILE]\n"
            "                      [--iterations N] [--colouring preset|smooth]\n"
            "                      [--palette NAME|FILE] [--density X] [--offset X]\n"
            "                      [--supersample N]\n"
            "                      FIGURE\n"
            "       galleri-render --video FILE --to VIEW [--from VIEW] --seconds S\n"
            "                      [--fps N] [--crf N] [--keyframes] [--keep-partial]\n"
            "                      [--frames A-B --output DIR | --from-frames DIR]\n"
            "                      [--size WxH] [--iterations N] [colour options] FIGURE\n"
            "       galleri-render --list | --list-palettes | --help | --version\n"
            "\n"
            "Draws one figure of Galleri into a picture file, without a display, or a\n"
            "zoom video from the figure's own view (or --from) to another (--to).\n"
            "FIGURE is an item name (m11, j8J81, trd1) or a caption (m_1, \"träd\").\n";
    } else {
        text =
            "Usage: galleri [--threads N] [--engine fast|scalar] [Qt options]\n"
            "       galleri --help | --version\n"
            "\n"
            "Shows the window of Galleri, which draws fractals and other figures.\n";
    }
    text += "\nOptions:\n";
    for (const Option& o : kOptions) {
        if ((o.programs & Bit(program)) == 0) {
            continue;
        }
        // Options without a short name line up with the others' long names.
        std::string names = o.shortName != '\0' ? std::string("  -") + o.shortName + ", --"
                                                : std::string("      --");
        names += o.longName;
        if (o.valueName != nullptr) {
            names += std::string(" ") + o.valueName;
        }
        // Help starts in column 24; a longer name gets a line of its own.
        names = names.size() + 2 > 24 ? names + "\n" + std::string(24, ' ')
                                      : names + std::string(24 - names.size(), ' ');
        text += names + o.help + "\n";
    }
    if (program == Program::Render) {
        text +=
            "\n"
            "Exit status:\n"
            "  0  the picture (or the video, or its frames) was written\n"
            "  1  the file could not be written (nor the text of --list, --help or --version)\n"
            "  2  bad usage (unknown figure or option, malformed size or value)\n"
            "  3  the drawing raised a range or overflow error; nothing was written\n"
            "  4  not enough memory for the picture; nothing was written\n"
            "  130  a video stopped by Ctrl+C or SIGTERM (see --keep-partial)\n";
    } else {
        text +=
            "\n"
            "Qt's own options (-platform, -display, -style, -geometry, -reverse, ...) go to Qt.\n"
            "\n"
            "Exit status:\n"
            "  0  the window was closed\n"
            "  1  the text of --help or --version could not be written\n"
            "  2  bad usage (unknown option, malformed value)\n"
            "  5  no display to open the window on (galleri-render draws without one)\n";
    }
    return text;
}

std::string VersionText(Program program) {
    return std::string(ProgramName(program)) + " " + GALLERI_VERSION + "\n";
}

int WriteToStdout(Program program, std::string_view text) {
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    const bool flushed = std::fflush(stdout) == 0;
    if (written && flushed) {
        return kExitDone;
    }
    const int error = errno;
    std::fprintf(stderr, "%s: could not write to standard output: %s\n", ProgramName(program),
                 error != 0 ? std::strerror(error) : "write error");
    return kExitWriteFailed;
}

std::optional<std::string> NoDisplayMessage(const std::vector<std::string>& qtArguments,
                                            const char* qpaPlatform, const char* display,
                                            const char* waylandDisplay) {
    const auto set = [](const char* v) { return v != nullptr && *v != '\0'; };
    for (const std::string& a : qtArguments) {
        if (a == "-platform" || a == "--platform" || a.rfind("-platform=", 0) == 0 ||
            a == "-display" || a == "--display") {
            return std::nullopt;  // the user chose where the window goes
        }
    }
    if (set(qpaPlatform)) {
        const std::string platform = qpaPlatform;
        const bool desktop = platform.rfind("xcb", 0) == 0 || platform.rfind("wayland", 0) == 0;
        if (!desktop) {
            return std::nullopt;  // offscreen, vnc, eglfs, ...: no display needed
        }
    }
    if (set(display) || set(waylandDisplay)) {
        return std::nullopt;
    }
    return std::string(ProgramName(Program::Window)) +
           ": no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not set); "
           "draw without a window with galleri-render, for example: galleri-render --size "
           "1920x1080 m11";
}

}  // namespace galleri
