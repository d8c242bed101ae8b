#pragma once

#include <QDialog>
#include <QString>
#include <string>

#include "archive/install_plan.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kvo {
class LoadRecord;
struct FormState;
}  // namespace kvo

namespace kvo::ui {

// "Add mod": proposes the category and the name of what an archive (or a dropped folder)
// brings, shows what the install will create as they change, and says yes or no. The source
// is read once, before the dialog opens; the dialog only plans, the page installs.
class AddModDialog final : public QDialog {
  Q_OBJECT

 public:
  AddModDialog(const kvo::FormState& state, const kvo::LoadRecord& record,
               kvo::SourceDirectory source, const kvo::InstallProposal& proposal,
               QWidget* parent = nullptr);

  // The plan for what the dialog shows now; the one to install once the player said yes.
  const kvo::InstallPlan& plan() const { return planning_.plan; }

 private:
  QWidget* buildChoices();
  void fillCategories(const kvo::InstallProposal& proposal);
  void propose(const kvo::InstallProposal& proposal);
  void replan();
  kvo::InstallRequest request() const;
  QString previewText() const;

  const kvo::FormState& state_;
  const kvo::LoadRecord& record_;
  kvo::SourceDirectory source_;
  kvo::InstallPlanning planning_;
  // What the source names by itself; asked for unchanged, the source keeps its own spelling.
  std::string proposedCode_;
  QString proposedName_;
  // A set or autoscripts keep the names they have; only a category makes them one new folder.
  bool namesFixed_ = false;
  QComboBox* category_ = nullptr;
  QLineEdit* name_ = nullptr;
  QCheckBox* replace_ = nullptr;
  QPlainTextEdit* preview_ = nullptr;
  QPushButton* install_ = nullptr;
};

}  // namespace kvo::ui
