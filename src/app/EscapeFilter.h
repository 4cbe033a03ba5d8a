#pragma once

#include <QObject>
#include <functional>
#include <utility>

namespace galleri {

class Surface;

// Escape asks the running figure to stop, and `onEscape` (if given) gives up
// the view being explored. Installed on the application object, since a
// disabled window (as during a run) gets no key events; it sees each key
// press more than once, so it only sets the flag and calls what may be
// called again. Modifiers are ignored, and every other key passes untouched.
class EscapeFilter : public QObject {
  public:
    EscapeFilter(Surface& surface, QObject* parent, std::function<void()> onEscape = {})
        : QObject(parent), surface_(surface), onEscape_(std::move(onEscape)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Surface& surface_;
    std::function<void()> onEscape_;
};

}  // namespace galleri
