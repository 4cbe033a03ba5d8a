// galleri-render: draws one figure of the command table into a picture file,
// without a display.

#include <unistd.h>

#include <QGuiApplication>
#include <QtGlobal>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <string>

#include "commands/Commands.h"
#include "escape/EscapeScan.h"
#include "escape/FastEngine.h"
#include "escape/SizeLimits.h"
#include "render/Arguments.h"
#include "render/DrawStill.h"
#include "render/FigureList.h"
#include "render/MemoryCheck.h"
#include "render/Progress.h"
#include "render/VideoCommand.h"
#include "surface/Errors.h"
#include "surface/HeadlessPlatform.h"
#include "surface/PictureFile.h"
#include "surface/Surface.h"
#include "surface/TextRaster.h"
#include "view/ViewText.h"

namespace galleri {
namespace {

// Qt complains on stderr that XDG_RUNTIME_DIR is unset, which is normal for
// a program run from a script; every other message passes through.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg && message.contains(QLatin1String("XDG_RUNTIME_DIR"))) {
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

std::string Megabytes(uint64_t bytes) {
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB";
}

// Refuses, before anything big is allocated, a picture the figure cannot
// draw, the file format cannot hold or the memory cannot take. Returns the
// exit status, kExitDone when the drawing may start.
int CheckBeforeDrawing(const RenderRequest& request, const std::string& what) {
    try {
        CheckFigureSize(request.figure->item, request.width, request.height);
    } catch (const DrawingError& e) {
        std::fprintf(stderr, "galleri-render: %s: %s; nothing written\n", what.c_str(),
                     InUserWords(e).c_str());
        return kExitDrawingError;
    }
    const std::string limit =
        FormatLimit(FormatForName(request.output), request.width, request.height);
    if (!limit.empty()) {
        std::fprintf(stderr, "galleri-render: %s\n", SaveError(request.output, limit).what());
        return kExitWriteFailed;
    }
    const uint64_t needed = MemoryNeeded(request.width, request.height);
    if (const std::optional<uint64_t> left = MemoryLeft(); left && needed > *left) {
        std::fprintf(stderr,
                     "galleri-render: not enough memory to draw %s: it needs about %s, %s are "
                     "free; nothing written\n",
                     what.c_str(), Megabytes(needed).c_str(), Megabytes(*left).c_str());
        return kExitNoMemory;
    }
    return kExitDone;
}

int Render(const RenderRequest& request, char* program) {
    const auto start = std::chrono::steady_clock::now();
    const Command& figure = *request.figure;
    const std::string what = std::string(figure.caption) + " at " + std::to_string(request.width) +
                             "x" + std::to_string(request.height);
    if (const int status = CheckBeforeDrawing(request, what); status != kExitDone) {
        return status;
    }

    // Qt sees only the program name, never our arguments ("-o -platform" is a
    // file name), and always the offscreen platform: text needs a
    // QGuiApplication, the renderer needs no display, whatever
    // QT_QPA_PLATFORM says. It is made when a figure first writes text:
    // most figures write none, and starting Qt is a good part of a small
    // picture's time.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    int qtArgc = 1;
    char* qtArgv[] = {program, nullptr};
    std::optional<QGuiApplication> app;

    HeadlessPlatform platform(request.width, request.height);
    platform.textOut = [&](Bitmap& picture, int px, int py, const std::string& text) {
        if (!app) {
            app.emplace(qtArgc, qtArgv);
        }
        RasterText(picture, px, py, text);
    };
    platform.watched = false;
    ProgressMeter progress(stderr, isatty(STDERR_FILENO) != 0);
    platform.onProgress = [&progress](int done, int total) { progress.Columns(done, total); };
    platform.onMessages = [&progress] { progress.Tick(); };
    Surface surface(platform);
    ScalarEngine scalar;
    ChooseEngine(surface, request, scalar);

    try {
        DrawStill(surface, request);
    } catch (const DrawingError& e) {
        progress.Finish();
        std::fprintf(stderr, "galleri-render: %s: %s; nothing written\n", what.c_str(),
                     InUserWords(e).c_str());
        return kExitDrawingError;
    } catch (const std::bad_alloc&) {
        progress.Finish();
        std::fprintf(stderr, "galleri-render: not enough memory to draw %s; nothing written\n",
                     what.c_str());
        return kExitNoMemory;
    } catch (const std::exception& e) {
        // Not expected from any figure; still a drawing that failed, and no
        // file is written.
        progress.Finish();
        std::fprintf(stderr, "galleri-render: drawing %s failed: %s; nothing written\n",
                     what.c_str(), e.what());
        return kExitDrawingError;
    }
    progress.Finish();

    try {
        // Files record the resolution of Qt's offscreen platform, 96 dpi,
        // whether or not Qt was started.
        constexpr int kOffscreenDotsPerMeter = 3780;
        const std::optional<Resolution> resolution =
            app ? std::nullopt
                : std::optional<Resolution>({kOffscreenDotsPerMeter, kOffscreenDotsPerMeter});
        SavePicture(surface.Picture(), request.output, PictureText(request), resolution);
        if (isatty(STDERR_FILENO) != 0) {
            // Someone watches: say what was made; scripts see nothing.
            std::fprintf(
                stderr, "galleri-render: wrote %s, %dx%d, in %.2f s\n",
                QuoteForMessage(request.output).c_str(), request.width, request.height,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
    } catch (const SaveError& e) {
        std::fprintf(stderr, "galleri-render: %s\n", e.what());
        return kExitWriteFailed;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr,
                     "galleri-render: not enough memory to save %s to %s; nothing written\n",
                     what.c_str(), QuoteForMessage(request.output).c_str());
        return kExitNoMemory;
    }
    return kExitDone;
}

}  // namespace
}  // namespace galleri

// Under LeakSanitizer: fontconfig keeps its configuration until the process
// ends (Qt never calls FcFini), which is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

int main(int argc, char** argv) {
    using namespace galleri;
    // Under a file-size limit a write fails with EFBIG ("File too large"),
    // told like any failed write, instead of the signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    const ParseResult parsed = ParseArguments(argc, argv);
    if (!parsed.Ok()) {
        std::fprintf(stderr, "%s\n", parsed.error.c_str());
        return parsed.status;
    }
    switch (parsed.request.action) {
        case Action::Help:
            return WriteToStdout(Program::Render, HelpText());
        case Action::Version:
            return WriteToStdout(Program::Render, VersionText(Program::Render));
        case Action::List:
            return WriteToStdout(Program::Render, FigureList());
        case Action::ListPalettes:
            return WriteToStdout(Program::Render, PaletteList());
        case Action::Render:
            break;
    }
    try {
        if (parsed.request.video) {
            return RunVideoCommand(parsed.request);
        }
        return Render(parsed.request, argv[0]);
    } catch (const std::bad_alloc&) {
        // Outside the drawing and the saving, which tell it themselves.
        std::fprintf(stderr,
                     "galleri-render: not enough memory to draw %s at %dx%d; nothing written\n",
                     parsed.request.figure->caption, parsed.request.width, parsed.request.height);
        return kExitNoMemory;
    }
}
