#include "ui/focus_mark.h"

#include <QPainter>
#include <QPalette>
#include <QPen>
#include <QRect>

namespace kvo::ui {

void drawFocusMark(QPainter& painter, const QRect& rect, const QPalette& palette) {
  constexpr int kWidth = 2;
  painter.save();
  painter.setPen(QPen(palette.color(QPalette::Highlight), kWidth));
  painter.setBrush(Qt::NoBrush);
  // A pen is centred on its line: half its width in from each edge keeps the whole frame inside.
  painter.drawRect(QRectF(rect).adjusted(kWidth / 2.0, kWidth / 2.0, -kWidth / 2.0, -kWidth / 2.0));
  painter.restore();
}

}  // namespace kvo::ui
