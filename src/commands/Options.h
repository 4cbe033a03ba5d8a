#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands/VideoOptions.h"

// The command-line options of both programs, the window (galleri) and the
// headless renderer (galleri-render): one table, one parser, one wording.
// Free of Qt, so that --help and --version need no display.

namespace galleri {

// Exit statuses of both programs.
inline constexpr int kExitDone = 0;
inline constexpr int kExitWriteFailed = 1;  // the picture, or the text asked for, not written
inline constexpr int kExitUsage = 2;
inline constexpr int kExitDrawingError = 3;
inline constexpr int kExitNoMemory = 4;
inline constexpr int kExitNoDisplay = 5;  // the window's: nothing to show it on

// Why the window cannot open, from the environment and Qt's options, before
// Qt is asked (which aborts): no -platform given, QT_QPA_PLATFORM unset or a
// desktop one, and neither DISPLAY nor WAYLAND_DISPLAY set. The one line to
// print, or nothing when a display may be there.
std::optional<std::string> NoDisplayMessage(const std::vector<std::string>& qtArguments,
                                            const char* qpaPlatform, const char* display,
                                            const char* waylandDisplay);

// The picture at the window's start size.
inline constexpr int kDefaultWidth = 483;
inline constexpr int kDefaultHeight = 609;
// Pixel coordinates are 16-bit: no side of a picture can be drawn beyond.
inline constexpr int kMaxSide = 65535;
// Most threads --threads accepts.
inline constexpr int kMaxThreads = 1024;
// Most iterations --iterations gives a point: a deep picture keeps an
// iteration of its reference orbit in 16 bytes.
inline constexpr int64_t kMaxIterations = 1000000000;

enum class Program { Window, Render };

enum class Action { Render, List, ListPalettes, Help, Version };

// What a command line asks for.
struct Options {
    Action action = Action::Render;
    std::optional<std::string> figure;  // galleri-render's FIGURE argument
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    std::string output;  // empty: the default name
    // galleri-render's --view text, LEFT,RIGHT,BOTTOM,TOP, as given; the
    // renderer reads the numbers, which need the figure to mean anything.
    std::optional<std::string> view;
    // --location: a location file to draw (the Mandelbrot figures only).
    std::optional<std::string> location;
    // --iterations: the most iterations a point gets, instead of the
    // figure's own budget (figures of the plane only).
    std::optional<int64_t> iterations;
    // The escape-time engine: the fast one on `threads` threads (0: one per
    // core), or the plain scalar reference on one thread.
    bool scalarEngine = false;
    int threads = 0;
    // The colouring of a figure of the plane, as given: --colouring (true
    // for smooth, false for preset), --palette (a built-in palette's name or
    // a palette file), --palette-checksum (16 hex digits), --density (above
    // 0) and --offset. The renderer resolves the palette.
    std::optional<bool> smooth;
    std::optional<std::string> palette;
    std::optional<std::string> paletteChecksum;
    std::optional<double> density;
    std::optional<double> offset;
    // --supersample: samples a pixel each way, 1 to 8.
    std::optional<int> supersample;
    // galleri-render's zoom video: --video and the options that go with it.
    VideoOptions video;
    // The window's arguments for Qt: Qt's own options with their values, in
    // the order given.
    std::vector<std::string> qtArguments;
};

// Parsed options, or the one-line message and exit status of what is wrong.
struct OptionsResult {
    Options options;
    std::string error;
    int status = kExitDone;
    bool Ok() const { return error.empty(); }
};

const char* ProgramName(Program program);

// Parses the arguments after the program name. An option's value may start
// with '-' (--output -x.png); "--" ends the options. --help and --version
// stop the parsing where they stand. Never throws for any input.
OptionsResult ParseOptions(Program program, const std::vector<std::string>& args);

// Where a usage error sends the reader.
enum class UsageHint { Help, Figures, Palettes };

// A usage error: "PROGRAM: WHAT; see PROGRAM --help", status 2; about a
// figure, "...; see galleri-render --list for the figures"; about a palette,
// "...; see galleri-render --list-palettes".
OptionsResult UsageError(Program program, const std::string& what,
                         UsageHint hint = UsageHint::Help);

// "WxH" with two whole numbers from 1 to kMaxSide; otherwise the message
// saying what is wrong.
struct SizeResult {
    std::optional<std::pair<int, int>> size;
    std::string error;
};
SizeResult ParseSize(std::string_view text);

// The text of --help: usage, every option of the program and its exit
// statuses.
std::string HelpText(Program program);
// The text of --version: "galleri 1.0".
std::string VersionText(Program program);

// Writes text to standard output and flushes it. A failed write (a full
// device) is told on standard error in one line and gives kExitWriteFailed.
int WriteToStdout(Program program, std::string_view text);

}  // namespace galleri
