#pragma once

#include <QLineEdit>

namespace kvo::ui {

// A box that narrows a list to the names containing its text. Esc empties it; Enter and the
// down arrow hand the keyboard on to the list it narrows.
class FilterBox final : public QLineEdit {
  Q_OBJECT

 public:
  FilterBox(const QString& objectName, const QString& prompt, QWidget* parent = nullptr);

 signals:
  // Enter or the down arrow: the player is done typing and goes on to the rows.
  void leftDown();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace kvo::ui
