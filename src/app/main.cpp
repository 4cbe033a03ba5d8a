#include <QApplication>

#include "app/FormTelvarn.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("galleri"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(galleri::kApplicationTitle));

    galleri::TFormTelvarn form;
    form.show();
    return QApplication::exec();
}
