#include "ui/pnames_editor.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "planes/plane_file_editors.h"
#include "ui/core_runner.h"
#include "ui/focus_frame.h"
#include "ui/item_focus_mark.h"
#include "ui/named.h"
#include "ui/view_sync.h"

namespace kvo::ui {

PnamesEditor::PnamesEditor(kvo::PlaneFileEditors& editors, CoreRunner& runner, QWidget* parent)
    : QDialog(parent), editors_(editors), runner_(runner) {
  setObjectName(QStringLiteral("Pnameform"));
  setWindowTitle(QStringLiteral("Pnames.str editor"));
  auto* layout = new QVBoxLayout(this);
  grid_ = named<QTableWidget>(QStringLiteral("Grid"), 0, 1);
  grid_->horizontalHeader()->hide();
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->setTabKeyNavigation(false);
  markCurrentItem(*grid_);
  layout->addWidget(grid_, 1);
  auto* save = named<QPushButton>(QStringLiteral("Save"), QStringLiteral("Save"));
  layout->addWidget(save);
  connect(save, &QPushButton::clicked, this, &PnamesEditor::SavePnames);
  new FocusFrame(*this);
  resize(fontMetrics().averageCharWidth() * 40 + 80, 480);
}

void PnamesEditor::LoadPnames() {
  runner_.run([this] { return editors_.LoadPnames(); });
  showGrid();
}

void PnamesEditor::showGrid() {
  const auto& grid = editors_.pnameform.Grid;
  grid_->setRowCount(grid.rows());
  QStringList numbers;
  for (int r = 0; r < grid.rows(); ++r) {
    grid_->setItem(r, 0, new QTableWidgetItem(toQString(grid.text(r))));
    numbers << QString::number(r);
  }
  // Row r is plane slot r: numbered from 0, as the plane grid and the plane codes count.
  grid_->setVerticalHeaderLabels(numbers);
}

void PnamesEditor::SavePnames() {
  runner_.run([this] {
    auto& grid = editors_.pnameform.Grid;
    for (int r = 0; r < grid.rows() && r < grid_->rowCount(); ++r) {
      const auto* item = grid_->item(r, 0);
      grid.setText(r, item ? toStdString(item->text()) : std::string());
    }
    return editors_.SavePnames();
  });
}

}  // namespace kvo::ui
