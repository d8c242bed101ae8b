#include "ui/screen_fit.h"

#include <QMargins>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace kvo::ui {

namespace {

// The window system adds its frame only once the window is shown; until then this is room
// for a title bar and borders of the usual size (Windows 10 and 11 at any scaling, most
// Linux desktops), in the scaled pixels the window is sized in.
QMargins expectedFrame(const QWidget& window) {
  const QRect frame = window.frameGeometry();
  const QRect inner = window.geometry();
  if (frame != inner) {
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
  }
  return {8, 32, 8, 8};
}

}  // namespace

kvo::ScreenSize screenSize(const QScreen& screen) {
  const QSize size = screen.size();
  const qreal ratio = screen.devicePixelRatio();
  return {qRound(size.width() * ratio), qRound(size.height() * ratio)};
}

void fitOnScreen(QWidget& window, const QScreen& screen) {
  const QRect area = screen.availableGeometry();
  const QMargins frame = expectedFrame(window);
  const QSize room = area.size().shrunkBy(frame);
  window.resize(window.size().boundedTo(room).expandedTo(window.minimumSizeHint()));
  const QSize framed = window.size().grownBy(frame);
  // A window larger than the screen keeps its title bar in sight rather than its centre.
  window.move(area.x() + std::max(0, (area.width() - framed.width()) / 2),
              area.y() + std::max(0, (area.height() - framed.height()) / 2));
}

}  // namespace kvo::ui
