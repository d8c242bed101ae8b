#pragma once

#include <QFocusFrame>

namespace kvo::ui {

// Puts the focus mark on whichever control of one window has the keyboard focus, so that a
// player walking the window by Tab always sees where the next key goes. The grids mark their
// current row instead, which says more than a frame around the whole grid.
class FocusFrame final : public QFocusFrame {
  Q_OBJECT

 public:
  // Follows the focus among the controls of `window`, inside which the frame stays.
  explicit FocusFrame(QWidget& window);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void follow(QWidget* focused);
  void keepOnTop();
  QWidget& window_;
};

}  // namespace kvo::ui
