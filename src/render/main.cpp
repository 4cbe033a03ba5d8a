// galleri-render: draws one figure of the command table into a picture file,
// without a display.

#include <unistd.h>

#include <QGuiApplication>
#include <QtGlobal>
#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "commands/Commands.h"
#include "escape/EscapeScan.h"
#include "escape/FastEngine.h"
#include "render/Arguments.h"
#include "render/FigureList.h"
#include "render/Progress.h"
#include "surface/Errors.h"
#include "surface/HeadlessPlatform.h"
#include "surface/PictureFile.h"
#include "surface/Surface.h"
#include "surface/TextRaster.h"

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

int Render(const RenderRequest& request, int argc, char** argv) {
    // Text needs a QGuiApplication; the offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qInstallMessageHandler(QuietMessages);
    QGuiApplication app(argc, argv);

    const Command& figure = *request.figure;
    HeadlessPlatform platform(request.width, request.height);
    platform.textOut = RasterText;
    platform.watched = false;
    ProgressMeter progress(stderr, isatty(STDERR_FILENO) != 0);
    platform.onProgress = [&progress](int done, int total) { progress.Columns(done, total); };
    platform.onMessages = [&progress] { progress.Tick(); };
    Surface surface(platform);
    ScalarEngine scalar;
    if (request.scalarEngine) {
        surface.SetEngine(&scalar);
    } else if (request.threads > 0) {
        DefaultFastEngine().SetThreads(request.threads);
    }

    const std::string what = std::string(figure.caption) + " at " + std::to_string(request.width) +
                             "x" + std::to_string(request.height);
    try {
        RunFigure(surface, figure);
    } catch (const DrawingError& e) {
        progress.Finish();
        std::fprintf(stderr, "galleri-render: drawing %s raised %s; nothing written\n",
                     what.c_str(), e.what());
        return kExitDrawingError;
    } catch (const std::bad_alloc&) {
        progress.Finish();
        std::fprintf(stderr, "galleri-render: not enough memory to draw %s; nothing written\n",
                     what.c_str());
        return kExitUsage;
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
        SavePicture(surface.Picture(), request.output);
    } catch (const SaveError& e) {
        std::fprintf(stderr, "galleri-render: %s\n", e.what());
        return kExitWriteFailed;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "galleri-render: Could not save %s: not enough memory\n",
                     request.output.c_str());
        return kExitWriteFailed;
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
    const ParseResult parsed = ParseArguments(argc, argv);
    if (!parsed.Ok()) {
        std::fprintf(stderr, "%s\n", parsed.error.c_str());
        return parsed.status;
    }
    switch (parsed.request.action) {
        case Action::Help:
            std::fputs(HelpText().c_str(), stdout);
            return kExitDone;
        case Action::List:
            std::fputs(FigureList().c_str(), stdout);
            return kExitDone;
        case Action::Render:
            break;
    }
    return Render(parsed.request, argc, argv);
}
