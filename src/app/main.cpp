#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "app/FormTelvarn.h"
#include "escape/EscapeScan.h"
#include "escape/FastEngine.h"

// Under LeakSanitizer: fontconfig keeps its configuration and libdbus its
// connection data until the process ends (Qt frees neither at exit), which
// are not leaks of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("galleri"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(galleri::kApplicationTitle));
    // Ties the running program to its desktop entry, named after the id.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(galleri::kApplicationId));

    // The same engine choice as galleri-render, so the two engines can be
    // compared in the window too.
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption engineOption(
        QStringLiteral("engine"), QStringLiteral("Escape-time engine: fast (default) or scalar."),
        QStringLiteral("fast|scalar"), QStringLiteral("fast"));
    const QCommandLineOption threadsOption(
        QStringLiteral("threads"),
        QStringLiteral("Threads of the fast engine (default: all cores)."), QStringLiteral("N"));
    parser.addOption(engineOption);
    parser.addOption(threadsOption);
    parser.process(app);
    const QString engine = parser.value(engineOption);
    if (engine != QStringLiteral("fast") && engine != QStringLiteral("scalar")) {
        std::fprintf(stderr, "galleri: --engine takes fast or scalar\n");
        return 2;
    }
    if (parser.isSet(threadsOption)) {
        bool ok = false;
        const int threads = parser.value(threadsOption).toInt(&ok);
        if (!ok || threads < 1 || threads > 256) {
            std::fprintf(stderr, "galleri: --threads takes a whole number from 1 to 256\n");
            return 2;
        }
        galleri::DefaultFastEngine().SetThreads(threads);
    }

    galleri::ScalarEngine scalar;
    galleri::TFormTelvarn form;
    if (engine == QStringLiteral("scalar")) {
        form.DrawingSurface().SetEngine(&scalar);
    }
    form.show();
    return QApplication::exec();
}
