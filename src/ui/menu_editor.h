#pragma once

#include <QDialog>
#include <array>

#include "planes/plane_file_editors.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace kvo::ui {

class CoreRunner;

// `Pmnuform`: one plane-menu file (B, A or G) with each entry's name and length; the header and
// each entry's tail show as bytes on demand. Choosing a side reads its file; "Read" reads it
// again, dropping what was typed; "Write" writes the names the player changed into that side's
// file as it is then, through the same checks as a plane install. The window follows the
// files: it reads the side shown again after every change of the game folder, keeping the
// names typed and not written yet.
class MenuEditor final : public QDialog {
  Q_OBJECT

 public:
  MenuEditor(kvo::PlaneFileEditors& editors, CoreRunner& runner, QWidget* parent = nullptr);

  // Reads the side shown afresh and shows it with the names typed and not written yet.
  void refresh();

 private:
  kvo::MenuSide side() const { return kvo::menuSideOf(side_); }
  void showSide(std::size_t side);
  void showControls();
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
  QLabel* problem_ = nullptr;
  std::size_t side_ = 0;                                      // the side shown: 0 B, 1 A, 2 G
  std::array<kvo::EditedNames, kvo::kMenuSideCount> edited_;  // typed, not written, by side
};

}  // namespace kvo::ui
