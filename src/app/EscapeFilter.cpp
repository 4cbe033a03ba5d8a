#include "app/EscapeFilter.h"

#include <QKeyEvent>

#include "surface/Surface.h"

namespace galleri {

bool EscapeFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        surface_.RequestAbort();
        if (onEscape_) {
            onEscape_();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace galleri
