#pragma once

#include <QObject>
#include <QString>

class QStatusBar;

namespace kvo::ui {

// The status bar's report of the last action. A report longer than the bar ends in "…" there,
// so that a cut one shows it is cut, and the whole stands in the bar's tooltip; it is cut
// anew when the bar's width changes.
class StatusLine final : public QObject {
  Q_OBJECT

 public:
  explicit StatusLine(QStatusBar& bar);

  // Shows `text`, whole in the tooltip and as much as fits on the bar.
  void show(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int roomForText() const;
  void showFitted();

  // The bar owns this, so it outlives it; the filter compares objects only, since it also sees
  // the bar's last events while it is destroyed.
  QStatusBar* bar_;
  const QObject* watched_;
  QString text_;
};

}  // namespace kvo::ui
