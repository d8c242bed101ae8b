#include "ui/keyboard.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

namespace kvo::ui {

namespace {

class ItemPresser final : public QObject {
 public:
  ItemPresser(QListWidget& list, bool followsMoves)
      : QObject(&list), list_(list), followsMoves_(followsMoves) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &list_ || event->type() != QEvent::KeyPress) return false;
    if (isPressKey(*event)) {
      press(list_.currentItem());
      return true;
    }
    if (!followsMoves_) return false;
    // The list moves its current item as it always does; a move then counts as a click.
    const QListWidgetItem* before = list_.currentItem();
    static_cast<QObject&>(list_).event(event);
    if (list_.currentItem() != before) press(list_.currentItem());
    // A key the list has no use for goes on to the window as usual.
    return event->isAccepted();
  }

 private:
  void press(QListWidgetItem* item) {
    if (item) emit list_.itemClicked(item);
  }

  QListWidget& list_;
  bool followsMoves_;
};

class WholeSelector final : public QObject {
 public:
  explicit WholeSelector(QLineEdit& edit) : QObject(&edit), edit_(edit) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &edit_ && event->type() == QEvent::FocusIn) {
      // A click places the cursor after the focus arrives; select once it has.
      QTimer::singleShot(0, &edit_, &QLineEdit::selectAll);
    }
    return false;
  }

 private:
  QLineEdit& edit_;
};

}  // namespace

bool isPressKey(const QEvent& event) {
  if (event.type() != QEvent::KeyPress) return false;
  const auto& key = static_cast<const QKeyEvent&>(event);
  if (key.isAutoRepeat()) return false;
  const Qt::KeyboardModifiers others = key.modifiers() & ~Qt::KeypadModifier;
  if (others != Qt::NoModifier) return false;
  return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter || key.key() == Qt::Key_Space;
}

void pressItemsByKeys(QListWidget& list) {
  list.installEventFilter(new ItemPresser(list, false));
}

void followItemsByKeys(QListWidget& list) {
  list.installEventFilter(new ItemPresser(list, true));
}

void selectWholeOnFocus(QLineEdit& edit) {
  edit.installEventFilter(new WholeSelector(edit));
}

}  // namespace kvo::ui
