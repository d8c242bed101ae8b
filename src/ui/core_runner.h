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
// repainting and taking events (progress processes them); a click or key meant for the window
// meanwhile is refused with a word on the status line, not kept for later, since it would act on
// the state the player saw before the change.
class CoreRunner final : public QObject {
  Q_OBJECT

 public:
  CoreRunner(kvo::GameFolder& game, kvo::Shell& shell, QObject* parent = nullptr);

  // Runs `operation` unless another is still running, then reports its outcome (status line,
  // message box), except one that awaits the answer of a prompt in the window; false, with the
  // status "Wait until the current change has finished", when it was refused. The game folder is
  // listed afresh for each, since the player may change it between two clicks.
  bool run(const std::function<kvo::Outcome()>& operation);
  // Runs a handler that only changes what the window shows (a filter, a preview).
  bool show(const std::function<void()>& handler);
  // Says `text` on the status line; nothing for "".
  void status(std::string_view text);
  bool busy() const { return busy_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  void started();
  // Emitted after every operation, also a failed one, so that the window shows the state.
  void finished();

 private:
  kvo::GameFolder& game_;
  kvo::Shell& shell_;
  bool busy_ = false;
};

// The status a click or key gets while a change runs.
inline constexpr std::string_view kWaitForChange = "Wait until the current change has finished.";

}  // namespace kvo::ui
