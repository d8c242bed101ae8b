#include "ui/clickable_label.h"

#include <QMouseEvent>

namespace kvo::ui {

ClickableLabel::ClickableLabel(const QString& text, const QString& objectName, QWidget* parent)
    : QLabel(text, parent) {
  setObjectName(objectName);
  setCursor(Qt::PointingHandCursor);
  setFrameShape(QFrame::StyledPanel);
  setAlignment(Qt::AlignCenter);
  setMargin(3);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
  // Releasing outside the label cancels the click, as it does on a push button.
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
  }
  QLabel::mouseReleaseEvent(event);
}

}  // namespace kvo::ui
