#pragma once

#include <QObject>
#include <functional>

class QListWidget;
class QWidget;

namespace kvo::ui {

// Calls a handler with the row each time the player picks an entry of a list: when the current
// row changes (by a click or a key) and when the current entry is clicked again, so that a
// preview reads its file afresh each time. One call for each pick, never two.
class ListPicks final : public QObject {
  Q_OBJECT

 public:
  ListPicks(QListWidget& list, std::function<void(int row)> handler);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QListWidget& list_;
  QWidget* viewport_;
  std::function<void(int row)> handler_;
  bool pressOnCurrent_ = false;  // the last press fell on the entry that was current already
};

}  // namespace kvo::ui
