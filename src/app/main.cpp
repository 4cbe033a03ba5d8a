#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/FormTelvarn.h"
#include "commands/Options.h"
#include "escape/EscapeScan.h"
#include "escape/FastEngine.h"

// Under LeakSanitizer: fontconfig keeps its configuration and libdbus its
// connection data until the process ends (Qt frees neither at exit), which
// are not leaks of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}

int main(int argc, char** argv) {
    using namespace galleri;
    // Our options first, with the table galleri-render uses too; --help and
    // --version need no display, so they come before Qt starts.
    const OptionsResult parsed =
        ParseOptions(Program::Window, std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.Ok()) {
        std::fprintf(stderr, "%s\n", parsed.error.c_str());
        return parsed.status;
    }
    const Options& options = parsed.options;
    if (options.action == Action::Help) {
        return WriteToStdout(Program::Window, HelpText(Program::Window));
    }
    if (options.action == Action::Version) {
        return WriteToStdout(Program::Window, VersionText(Program::Window));
    }

    // Without a display Qt would abort: say so in one line instead.
    if (const std::optional<std::string> why =
            NoDisplayMessage(options.qtArguments, std::getenv("QT_QPA_PLATFORM"),
                             std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"))) {
        std::fprintf(stderr, "%s\n", why->c_str());
        return kExitNoDisplay;
    }

    // Qt gets a list of its own: the program name and Qt's options.
    std::vector<std::string> qtStrings = {argv[0]};
    qtStrings.insert(qtStrings.end(), options.qtArguments.begin(), options.qtArguments.end());
    std::vector<char*> qtArgv;
    for (std::string& s : qtStrings) {
        qtArgv.push_back(s.data());
    }
    qtArgv.push_back(nullptr);
    int qtArgc = static_cast<int>(qtStrings.size());

    QApplication app(qtArgc, qtArgv.data());
    QApplication::setApplicationName(QStringLiteral("galleri"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(kApplicationTitle));
    // Ties the running program to its desktop entry, named after the id.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kApplicationId));

    if (options.threads > 0) {
        DefaultFastEngine().SetThreads(options.threads);
    }
    ScalarEngine scalar;
    TFormTelvarn form;
    if (options.scalarEngine) {
        form.DrawingSurface().SetEngine(&scalar);
    }
    form.show();
    return QApplication::exec();
}
