#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace kvo {
class PlaneFileEditors;
}

namespace kvo::ui {

class CoreRunner;

// `Pmnuform`: one plane-menu file (B, A or G) with each entry's name and length; the header and
// each entry's tail show as bytes on demand. "Read" runs Pmensee, "Write" runs pmenwrite
// through the same checks as a plane install.
class MenuEditor final : public QDialog {
  Q_OBJECT

 public:
  MenuEditor(kvo::PlaneFileEditors& editors, CoreRunner& runner, QWidget* parent = nullptr);

  // Shows the controls as the core holds them.
  void refresh();

 private:
  QWidget* buildRecords();
  QWidget* buildDetails();
  void showDetails(bool shown);
  void Pmensee();
  void pmenwrite();

  kvo::PlaneFileEditors& editors_;
  CoreRunner& runner_;
  std::array<QRadioButton*, 3> countryBut_{};
  QLabel* hedlab_ = nullptr;
  QCheckBox* details_ = nullptr;
  QLabel* headerCaption_ = nullptr;
  QLabel* tailCaption_ = nullptr;
  std::array<QLabel*, 11> mlen_{};
  std::array<QLineEdit*, 11> bmnutb_{};
  std::array<QLabel*, 11> position_{};
};

}  // namespace kvo::ui
