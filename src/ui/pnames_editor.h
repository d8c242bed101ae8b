#pragma once

#include <QDialog>

class QTableWidget;

namespace kvo {
class PlaneFileEditors;
}

namespace kvo::ui {

class CoreRunner;

// `Pnameform`, "Pnames.str editor": the plane names of pnames.str in one editable column;
// "Save" writes them back through the same checks as a plane install.
class PnamesEditor final : public QDialog {
  Q_OBJECT

 public:
  PnamesEditor(kvo::PlaneFileEditors& editors, CoreRunner& runner, QWidget* parent = nullptr);

  // Reads pnames.str afresh into the grid (each time the window opens).
  void LoadPnames();

 private:
  void showGrid();
  void SavePnames();

  kvo::PlaneFileEditors& editors_;
  CoreRunner& runner_;
  QTableWidget* grid_ = nullptr;
};

}  // namespace kvo::ui
