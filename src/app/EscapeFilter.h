#pragma once

#include <QObject>

namespace galleri {

class Surface;

// Escape asks the running figure to stop. Installed on the application
// object, since a disabled window (as during a run) gets no key events; it
// sees each key press more than once, so it only sets the flag. Modifiers are
// ignored, and every other key passes untouched.
class EscapeFilter : public QObject {
  public:
    EscapeFilter(Surface& surface, QObject* parent) : QObject(parent), surface_(surface) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Surface& surface_;
};

}  // namespace galleri
