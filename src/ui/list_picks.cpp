#include "ui/list_picks.h"

#include <QListWidget>
#include <QMouseEvent>
#include <utility>

namespace kvo::ui {

ListPicks::ListPicks(QListWidget& list, std::function<void(int row)> handler)
    : QObject(&list), list_(list), viewport_(list.viewport()), handler_(std::move(handler)) {
  viewport_->installEventFilter(this);
  connect(&list, &QListWidget::currentRowChanged, this, [this](int row) { handler_(row); });
  // A click that made its entry current was handled as a change of the row already.
  connect(&list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    if (!pressOnCurrent_) return;
    pressOnCurrent_ = false;
    handler_(list_.row(item));
  });
}

// Seen before the list handles the press, while the current row is still the one before it.
// The viewport is compared as kept: while the list goes away, it is no list to ask any more.
bool ListPicks::eventFilter(QObject* watched, QEvent* event) {
  if (watched == viewport_ && event->type() == QEvent::MouseButtonPress) {
    const auto* press = static_cast<QMouseEvent*>(event);
    const int row = list_.row(list_.itemAt(press->position().toPoint()));
    pressOnCurrent_ = row >= 0 && row == list_.currentRow();
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace kvo::ui
