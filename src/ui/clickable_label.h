#pragma once

#include <QLabel>

namespace kvo::ui {

// A label the player clicks like a button ("Refresh!", "Just Launch", "Overwrite"...).
class ClickableLabel final : public QLabel {
  Q_OBJECT

 public:
  ClickableLabel(const QString& text, const QString& objectName, QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace kvo::ui
