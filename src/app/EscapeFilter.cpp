#include "app/EscapeFilter.h"

#include <QKeyEvent>

#include "surface/Surface.h"

namespace galleri {

QList<QKeySequence> QuitKeys() {
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Quit);
    if (keys.isEmpty()) {
        keys.append(QKeySequence(Qt::CTRL | Qt::Key_Q));
    }
    return keys;
}

bool EscapeFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            surface_.RequestAbort();
            if (onEscape_) {
                onEscape_();
            }
        } else if (quit_ && QuitKeys().contains(QKeySequence(key->keyCombination()))) {
            quit_();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace galleri
