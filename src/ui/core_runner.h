#pragma once

#include <QObject>
#include <functional>

namespace kvo {
class Core;
}

namespace kvo::ui {

// Runs one core operation at a time for the window. While one runs, the window keeps
// repainting (progress processes events), so a second click could otherwise start a second
// operation on half-changed state.
class CoreRunner final : public QObject {
  Q_OBJECT

 public:
  explicit CoreRunner(kvo::Core& core, QObject* parent = nullptr);

  // Runs `operation` unless another is still running; false when it was refused. The game
  // folder is listed afresh for each, since the player may change it between two clicks.
  bool run(const std::function<void()>& operation);
  bool busy() const { return busy_; }

 signals:
  void started();
  // Emitted after every operation, also a failed one, so that the window shows the state.
  void finished();

 private:
  kvo::Core& core_;
  bool busy_ = false;
};

}  // namespace kvo::ui
