#pragma once

#include <QObject>
#include <functional>
#include <string_view>

#include "state/outcome.h"

namespace kvo {
class GameFolder;
class Shell;
}  // namespace kvo

namespace kvo::ui {

// Runs one core operation at a time for the window and reports what it did: each handler is
// one call into the core, this report, and a refresh. While one runs, the window keeps
// repainting (progress processes events), so a second click could otherwise start a second
// operation on half-changed state.
class CoreRunner final : public QObject {
  Q_OBJECT

 public:
  CoreRunner(kvo::GameFolder& game, kvo::Shell& shell, QObject* parent = nullptr);

  // Runs `operation` unless another is still running, then reports its outcome (status line,
  // message box), except one that awaits the answer of a prompt in the window; false when it
  // was refused. The game folder is listed afresh for each, since the player may change it
  // between two clicks.
  bool run(const std::function<kvo::Outcome()>& operation);
  // Runs a handler that only changes what the window shows (a filter, a preview).
  bool show(const std::function<void()>& handler);
  // Says `text` on the status line; nothing for "".
  void status(std::string_view text);
  bool busy() const { return busy_; }

 signals:
  void started();
  // Emitted after every operation, also a failed one, so that the window shows the state.
  void finished();

 private:
  kvo::GameFolder& game_;
  kvo::Shell& shell_;
  bool busy_ = false;
};

}  // namespace kvo::ui
