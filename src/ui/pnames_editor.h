#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "planes/plane_file_editors.h"

class QLabel;
class QTableWidget;
class QTableWidgetItem;

namespace kvo::ui {

class CoreRunner;

// `Pnameform`, "Pnames.str editor": the plane names of pnames.str in one editable column;
// "Save" writes the names the player changed into the file as it is then, through the same
// checks as a plane install. The window follows the file: it reads it again after every
// change of the game folder, keeping the names typed and not saved yet.
class PnamesEditor final : public QDialog {
  Q_OBJECT

 public:
  PnamesEditor(kvo::PlaneFileEditors& editors, CoreRunner& runner, QWidget* parent = nullptr);

  // Reads pnames.str afresh into the grid, dropping what was typed (each time the window opens).
  void LoadPnames();
  // Reads pnames.str afresh and shows it with the names typed and not saved yet.
  void refresh();

 private:
  void showGrid();
  void noteEdit(QTableWidgetItem* item);
  void SavePnames();

  kvo::PlaneFileEditors& editors_;
  CoreRunner& runner_;
  QTableWidget* grid_ = nullptr;
  QLabel* problem_ = nullptr;
  std::vector<std::string> read_;  // the names as pnames.str held them at the last reading
  kvo::EditedNames edited_;
};

}  // namespace kvo::ui
