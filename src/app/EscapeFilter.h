#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <functional>
#include <utility>

namespace galleri {

class Surface;

// The keys that quit the program: the platform's Quit keys, Ctrl+Q where the
// platform has none.
QList<QKeySequence> QuitKeys();

// Escape asks the running figure to stop, and `onEscape` (if given) gives up
// the view being explored. Installed on the application object, since a
// disabled window (as during a run) gets no key events; it sees each key
// press more than once, so it only sets the flag and calls what may be
// called again. Modifiers are ignored. A quit key calls `quit` (the window's
// shortcuts do not fire while it is disabled); every other key passes
// untouched.
class EscapeFilter : public QObject {
  public:
    EscapeFilter(Surface& surface, QObject* parent, std::function<void()> onEscape = {},
                 std::function<void()> quit = {})
        : QObject(parent),
          surface_(surface),
          onEscape_(std::move(onEscape)),
          quit_(std::move(quit)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Surface& surface_;
    std::function<void()> onEscape_;
    std::function<void()> quit_;
};

}  // namespace galleri
