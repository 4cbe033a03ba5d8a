#include <QApplication>

#include "app/FormTelvarn.h"

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
    // Ties the running program to its desktop entry (galleri.desktop).
    QGuiApplication::setDesktopFileName(QStringLiteral("galleri"));

    galleri::TFormTelvarn form;
    form.show();
    return QApplication::exec();
}
