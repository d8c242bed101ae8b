#pragma once

#include <QLabel>

namespace kvo::ui {

// A label the player presses like a button ("Refresh!", "Just Launch", "Overwrite"...): by a
// click, or by Enter or Space once Tab has brought the focus to it.
class ClickableLabel final : public QLabel {
  Q_OBJECT

 public:
  ClickableLabel(const QString& text, const QString& objectName, QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace kvo::ui
