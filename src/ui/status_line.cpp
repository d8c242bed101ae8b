#include "ui/status_line.h"

#include <QEvent>
#include <QStatusBar>
#include <QStyle>

namespace kvo::ui {

StatusLine::StatusLine(QStatusBar& bar) : QObject(&bar), bar_(&bar), watched_(&bar) {
  setObjectName(QStringLiteral("StatusLine"));
  bar.installEventFilter(this);
}

void StatusLine::show(const QString& text) {
  text_ = text;
  bar_->setToolTip(text);
  showFitted();
}

bool StatusLine::eventFilter(QObject* watched, QEvent* event) {
  if (watched == watched_ && event->type() == QEvent::Resize) showFitted();
  return QObject::eventFilter(watched, event);
}

// The bar's width less its permanent widgets (the progress bar) and the margins the style
// keeps around the message.
int StatusLine::roomForText() const {
  int room = bar_->width() - 2 * bar_->style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing);
  for (const QWidget* child : bar_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isVisible()) room -= child->width();
  }
  return room - 12;
}

void StatusLine::showFitted() {
  if (text_.isEmpty()) return;
  const QString fitted = bar_->fontMetrics().elidedText(text_, Qt::ElideRight, roomForText());
  if (bar_->currentMessage() != fitted) bar_->showMessage(fitted);
}

}  // namespace kvo::ui
