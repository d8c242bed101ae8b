#include "ui/core_runner.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <exception>
#include <string>

#include "state/game_folder.h"
#include "state/shell.h"

namespace kvo::ui {

CoreRunner::CoreRunner(kvo::GameFolder& game, kvo::Shell& shell, QObject* parent)
    : QObject(parent), game_(game), shell_(shell) {}

namespace {

bool isPress(const QEvent& event) {
  switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
      return true;
    default:
      return false;
  }
}

bool isPlayerInput(const QEvent& event) {
  switch (event.type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Drop:
      return true;
    default:
      return isPress(event);
  }
}

// Watches the player's input for as long as the operation runs, and no longer: its report may
// show a message box that must take clicks.
class InputGuard final {
 public:
  explicit InputGuard(QObject& filter) : filter_(filter) { qApp->installEventFilter(&filter_); }
  ~InputGuard() { qApp->removeEventFilter(&filter_); }
  InputGuard(const InputGuard&) = delete;
  InputGuard& operator=(const InputGuard&) = delete;

 private:
  QObject& filter_;
};

}  // namespace

bool CoreRunner::eventFilter(QObject* watched, QEvent* event) {
  // A question the operation asks is a modal window of its own, which must answer; every
  // other window, the editors included, waits for the change.
  const auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || !isPlayerInput(*event)) return QObject::eventFilter(watched, event);
  const QWidget* asking = QApplication::activeModalWidget();
  if (asking && widget->window() == asking) return QObject::eventFilter(watched, event);
  if (isPress(*event)) shell_.status(kWaitForChange);
  return true;
}

bool CoreRunner::run(const std::function<kvo::Outcome()>& operation) {
  if (busy_) {
    shell_.status(kWaitForChange);
    return false;
  }
  busy_ = true;
  emit started();
  game_.forgetListing();
  try {
    const auto outcome = [&] {
      const InputGuard guard(*this);
      return operation();
    }();
    // The window's own prompt asks; a box on top of it would ask twice.
    if (!outcome.awaitsAnswer) kvo::report(outcome, shell_);
  } catch (const std::exception& error) {
    // An exception must not unwind through Qt's event dispatch; the player still gets told.
    shell_.message(std::string("Unexpected error: ") + error.what(), kvo::Icon::Critical, "KVO");
  }
  busy_ = false;
  emit finished();
  return true;
}

bool CoreRunner::show(const std::function<void()>& handler) {
  return run([&] {
    handler();
    return kvo::Outcome{};
  });
}

void CoreRunner::status(std::string_view text) {
  if (!text.empty()) shell_.status(text);
}

}  // namespace kvo::ui
