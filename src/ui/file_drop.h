#pragma once

#include <QObject>
#include <QStringList>

class QWidget;

namespace kvo::ui {

// Makes a widget take the files and folders that the desktop's file manager drops on it.
class FileDrop final : public QObject {
  Q_OBJECT

 public:
  // Watches `area` (for a view, its viewport) for drops.
  explicit FileDrop(QWidget& area);

 signals:
  // The local files and folders of one drop, in the order the drag carried them.
  void dropped(const QStringList& paths);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace kvo::ui
