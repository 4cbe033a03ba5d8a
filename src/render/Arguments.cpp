#include "render/Arguments.h"

#include <array>
#include <charconv>
#include <limits>

#include "commands/Commands.h"

namespace galleri {

namespace {

constexpr const char* kProgram = "galleri-render";
constexpr const char* kHint = "see galleri-render --help, or --list for the figures";

// The error's message ends with the hint; statuses other than usage errors
// are not raised by the parser.
ParseResult Fail(const std::string& what) {
    ParseResult r;
    r.error = std::string(kProgram) + ": " + what + "; " + kHint;
    r.status = kExitUsage;
    return r;
}

// Arguments may hold any bytes: quote them for a message, with control
// characters shown as '?', and cut very long ones.
std::string Quote(std::string_view s) {
    constexpr size_t kMax = 60;
    std::string out = "'";
    for (size_t i = 0; i < s.size() && i < kMax; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        out += (c < 0x20 || c == 0x7F) ? '?' : static_cast<char>(c);
    }
    if (s.size() > kMax) {
        out += "...";
    }
    return out + "'";
}

// One whole number of 1 to INT32_MAX written with digits only.
std::optional<int> ParseSide(std::string_view s) {
    if (s.empty() || s.size() > 12) {
        return std::nullopt;
    }
    for (char c : s) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    int64_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || v < 1 ||
        v > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(v);
}

// An option: its names, the name of its value (nullptr for a flag), its
// line in the help text, and what it does to the request. apply returns an
// error message, empty when the value is good.
struct Option {
    const char* longName;
    char shortName;
    const char* valueName;
    const char* help;
    std::string (*apply)(RenderRequest&, std::string_view value);
};

std::string ApplySize(RenderRequest& r, std::string_view value) {
    const SizeResult s = ParseSize(value);
    if (!s.size) {
        return s.error;
    }
    r.width = s.size->first;
    r.height = s.size->second;
    return {};
}

std::string ApplyOutput(RenderRequest& r, std::string_view value) {
    if (value.empty()) {
        return "the output file name is empty";
    }
    r.output = std::string(value);
    return {};
}

std::string ApplyThreads(RenderRequest& r, std::string_view value) {
    const std::optional<int> n = ParseSide(value);
    if (!n || *n > kMaxThreads) {
        return "bad thread count " + Quote(value) + ": expected a whole number from 1 to " +
               std::to_string(kMaxThreads);
    }
    r.threads = *n;
    return {};
}

std::string ApplyEngine(RenderRequest& r, std::string_view value) {
    if (value == "fast" || value == "scalar") {
        r.scalarEngine = value == "scalar";
        return {};
    }
    return "unknown engine " + Quote(value) + ": expected fast or scalar";
}

std::string ApplyList(RenderRequest& r, std::string_view) {
    if (r.action != Action::Help) {
        r.action = Action::List;
    }
    return {};
}

std::string ApplyHelp(RenderRequest& r, std::string_view) {
    r.action = Action::Help;
    return {};
}

// Every option of galleri-render. A new option (such as the engine's thread
// count) is one more row here and, if it needs one, a field of RenderRequest.
const std::array kOptions = {
    Option{"size", 's', "WxH", "picture size in pixels (default 483x609)", ApplySize},
    Option{"output", 'o', "FILE",
           "file to write (default ITEM.png): .jpg or .jpeg\n"
           "                        give JPEG, .png PNG, other names BMP",
           ApplyOutput},
    Option{"threads", 't', "N",
           "threads of the fast engine for escape-time figures\n"
           "                        (default: one per core)",
           ApplyThreads},
    Option{"engine", 'e', "NAME",
           "escape-time engine: fast (default) or scalar, the\n"
           "                        plain one-thread reference",
           ApplyEngine},
    Option{"list", 'l', nullptr, "list the figures and stop", ApplyList},
    Option{"help", 'h', nullptr, "show this help and stop", ApplyHelp},
};

const Option* FindLong(std::string_view name) {
    for (const Option& o : kOptions) {
        if (name == o.longName) {
            return &o;
        }
    }
    return nullptr;
}

const Option* FindShort(char name) {
    for (const Option& o : kOptions) {
        if (name == o.shortName) {
            return &o;
        }
    }
    return nullptr;
}

// Resolves an item name or caption to an enabled figure command.
std::string ResolveFigure(RenderRequest& r, std::string_view name) {
    const Command* c = FindCommand(name);
    if (c == nullptr) {
        return "unknown figure " + Quote(name);
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

}  // namespace

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
    const std::optional<int> w = ParseSide(text.substr(0, x));
    const std::optional<int> h = ParseSide(text.substr(x + 1));
    if (!w || !h) {
        return bad("width and height must be positive whole numbers, such as 483x609");
    }
    if (int64_t{*w} * *h > kMaxPixels) {
        return bad("more than " + std::to_string(kMaxPixels) + " pixels");
    }
    r.size = std::pair{*w, *h};
    return r;
}

ParseResult ParseArguments(const std::vector<std::string>& args) {
    ParseResult result;
    RenderRequest& req = result.request;
    std::optional<std::string> figureName;
    bool optionsEnded = false;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (figureName) {
                return Fail("more than one figure given (" + Quote(*figureName) + " and " +
                            Quote(arg) + ")");
            }
            figureName = std::string(arg);
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
            option = FindLong(body.substr(0, eq));
            if (eq != std::string_view::npos) {
                inlineValue = body.substr(eq + 1);
            }
            shown = "--" + std::string(body.substr(0, eq));
        } else if (arg.size() == 2) {
            option = FindShort(arg[1]);
            shown = std::string(arg);
        }
        if (option == nullptr) {
            return Fail("unknown option " + Quote(arg));
        }
        std::string_view value;
        if (option->valueName != nullptr) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return Fail("option " + shown + " needs a value (" + option->valueName + ")");
            }
        } else if (inlineValue) {
            return Fail("option " + shown + " takes no value");
        }
        const std::string error = option->apply(req, value);
        if (!error.empty()) {
            return Fail(error);
        }
    }

    if (req.action == Action::Help) {
        return result;
    }
    if (req.action == Action::List) {
        if (figureName) {
            return Fail("--list takes no figure");
        }
        return result;
    }
    if (!figureName) {
        return Fail("no figure given");
    }
    const std::string error = ResolveFigure(req, *figureName);
    if (!error.empty()) {
        return Fail(error);
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
    std::string text =
        "Usage: galleri-render [--size WxH] [--output FILE] [--threads N]\n"
        "                      [--engine fast|scalar] FIGURE\n"
        "       galleri-render --list\n"
        "       galleri-render --help\n"
        "\n"
        "Draws one figure of Galleri into a picture file, without a display.\n"
        "FIGURE is an item name (m11, j8J81, trd1) or a caption (m_1, \"träd\").\n"
        "\n"
        "Options:\n";
    for (const Option& o : kOptions) {
        std::string names = std::string("  -") + o.shortName + ", --" + o.longName;
        if (o.valueName != nullptr) {
            names += std::string(" ") + o.valueName;
        }
        names.resize(std::max<size_t>(names.size() + 2, 24), ' ');
        text += names + o.help + "\n";
    }
    text +=
        "\n"
        "Exit status:\n"
        "  0  the picture was written\n"
        "  1  the file could not be written\n"
        "  2  bad usage (unknown figure or option, malformed size)\n"
        "  3  the drawing raised a range or overflow error; nothing was written\n";
    return text;
}

}  // namespace galleri
