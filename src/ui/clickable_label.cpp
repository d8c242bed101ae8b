#include "ui/clickable_label.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "ui/keyboard.h"

namespace kvo::ui {

ClickableLabel::ClickableLabel(const QString& text, const QString& objectName, QWidget* parent)
    : QLabel(text, parent) {
  setObjectName(objectName);
  setCursor(Qt::PointingHandCursor);
  setFrameShape(QFrame::StyledPanel);
  setAlignment(Qt::AlignCenter);
  setMargin(3);
  setFocusPolicy(Qt::StrongFocus);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
  // Releasing outside the label cancels the click, as it does on a push button.
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
  }
  QLabel::mouseReleaseEvent(event);
}

void ClickableLabel::keyPressEvent(QKeyEvent* event) {
  if (isPressKey(*event)) {
    emit clicked();
    return;
  }
  QLabel::keyPressEvent(event);
}

}  // namespace kvo::ui
