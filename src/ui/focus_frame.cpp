#include "ui/focus_frame.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QStyle>

#include "ui/focus_mark.h"
#include "ui/grid_view.h"

namespace kvo::ui {

FocusFrame::FocusFrame(QWidget& window) : QFocusFrame(&window), window_(window) {
  setObjectName(QStringLiteral("FocusFrame"));
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { follow(now); });
  follow(QApplication::focusWidget());
}

// The frame becomes a child of the control's parent; in another window it would go down with a
// message box that closes.
void FocusFrame::follow(QWidget* focused) {
  const bool inWindow = focused != nullptr && window_.isAncestorOf(focused);
  const bool marksItself = qobject_cast<GridView*>(focused) != nullptr;
  setWidget(inWindow && !marksItself ? focused : nullptr);
  keepOnTop();
}

// Styles stack the frame under its control and mask all but a thin ring outside it, which the
// control's parent cuts off where they share an edge; ours lies on top of the control's edge.
void FocusFrame::keepOnTop() {
  if (widget() == nullptr) return;
  clearMask();
  raise();
}

bool FocusFrame::eventFilter(QObject* watched, QEvent* event) {
  const bool handled = QFocusFrame::eventFilter(watched, event);
  // The events on which the base class places the frame anew, under the control.
  switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::ParentChange:
    case QEvent::ZOrderChange:
    case QEvent::StyleChange:
      keepOnTop();
      break;
    default:
      break;
  }
  return handled;
}

void FocusFrame::paintEvent(QPaintEvent*) {
  if (widget() == nullptr) return;
  const int h = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this);
  const int v = style()->pixelMetric(QStyle::PM_FocusFrameVMargin, nullptr, this);
  QPainter painter(this);
  drawFocusMark(painter, rect().adjusted(h, v, -h, -v), palette());
}

}  // namespace kvo::ui
