#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace galleri {

struct Command;

// Exit statuses of galleri-render.
inline constexpr int kExitDone = 0;
inline constexpr int kExitWriteFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitDrawingError = 3;

// The picture at the window's start size.
inline constexpr int kDefaultWidth = 483;
inline constexpr int kDefaultHeight = 609;
// Largest picture accepted: 2^27 pixels, half a gigabyte of colour values.
// Beyond it the buffers alone would crowd out the machine; the drawing core
// raises its own range errors for sizes below this that a figure cannot draw.
inline constexpr int64_t kMaxPixels = int64_t{1} << 27;

enum class Action { Render, List, Help };

// What the command line asks for.
struct RenderRequest {
    Action action = Action::Render;
    const Command* figure = nullptr;  // an enabled figure command when rendering
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    std::string output;  // the figure's item name + ".png" unless given
    // The escape-time engine: the fast one on `threads` threads (0: one per
    // core), or the plain scalar reference on one thread.
    bool scalarEngine = false;
    int threads = 0;
};

// Most threads --threads accepts.
inline constexpr int kMaxThreads = 1024;

// A parsed command line, or the one-line message and exit status of what is
// wrong with it.
struct ParseResult {
    RenderRequest request;
    std::string error;
    int status = kExitDone;
    bool Ok() const { return error.empty(); }
};

// Parses the arguments after the program name. Never throws for any input.
ParseResult ParseArguments(const std::vector<std::string>& args);
ParseResult ParseArguments(int argc, const char* const* argv);

// "WxH" with two positive whole numbers, at most kMaxPixels pixels together;
// otherwise the message saying what is wrong.
struct SizeResult {
    std::optional<std::pair<int, int>> size;
    std::string error;
};
SizeResult ParseSize(std::string_view text);

// The usage text of --help, listing every option.
std::string HelpText();

}  // namespace galleri
