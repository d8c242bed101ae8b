#include "ui/screen_fit.h"

#include <QScreen>
#include <QWidget>

namespace kvo::ui {

kvo::ScreenSize screenSize(const QScreen& screen) {
  const QSize size = screen.size();
  return {size.width(), size.height()};
}

void fitOnScreen(QWidget& window, const QScreen& screen) {
  const QRect area = screen.availableGeometry();
  window.move(area.x() + (area.width() - window.width()) / 2,
              area.y() + (area.height() - window.height()) / 2);
}

}  // namespace kvo::ui
