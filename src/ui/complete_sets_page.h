#pragma once

#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace kvo {
class Packages;
struct FormState;
}  // namespace kvo

namespace kvo::ui {

class ClickableLabel;
class CoreRunner;
class PictureBox;

// "Complete Sets": autoscripts offered as packages, and the online client's hand-over area.
class CompleteSetsPage final : public QWidget {
  Q_OBJECT

 public:
  CompleteSetsPage(kvo::FormState& state, kvo::Packages& packages, CoreRunner& runner,
                   QWidget* parent = nullptr);

  // Shows the current core state.
  void refresh();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool pointerBringsNews(const QEvent& event);
  QWidget* buildPackageColumn();
  QWidget* buildPreviewColumn();
  void connectHandlers();

  kvo::FormState& state_;
  kvo::Packages& packages_;
  CoreRunner& runner_;
  QListWidget* gupc_ = nullptr;
  QListWidget* list9_ = nullptr;
  QPushButton* loadQ_ = nullptr;
  QLabel* label51_ = nullptr;
  QLabel* packagePlan_ = nullptr;
  QCheckBox* check1_ = nullptr;
  QCheckBox* check2_ = nullptr;
  ClickableLabel* label29_ = nullptr;
  QString clipboardSeen_;  // the clipboard text the area last looked at
  PictureBox* image4_ = nullptr;
};

}  // namespace kvo::ui
