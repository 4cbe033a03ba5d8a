#include <QApplication>

#include "app/FormTelvarn.h"

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
