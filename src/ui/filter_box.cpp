#include "ui/filter_box.h"

#include <QKeyEvent>

namespace kvo::ui {

FilterBox::FilterBox(const QString& objectName, const QString& prompt, QWidget* parent)
    : QLineEdit(parent) {
  setObjectName(objectName);
  setPlaceholderText(prompt);
  setClearButtonEnabled(true);
}

void FilterBox::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      // An empty box lets Esc go on to the window.
      if (text().isEmpty()) break;
      clear();
      return;
    case Qt::Key_Down:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      emit leftDown();
      return;
    default:
      break;
  }
  QLineEdit::keyPressEvent(event);
}

}  // namespace kvo::ui
