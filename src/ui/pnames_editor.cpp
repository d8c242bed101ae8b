#include "ui/pnames_editor.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

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
  problem_ = named<QLabel>(QStringLiteral("PnamesProblem"));
  problem_->setWordWrap(true);
  problem_->hide();
  layout->addWidget(problem_);
  auto* save = named<QPushButton>(QStringLiteral("Save"), QStringLiteral("Save"));
  layout->addWidget(save);
  connect(save, &QPushButton::clicked, this, &PnamesEditor::SavePnames);
  connect(grid_, &QTableWidget::itemChanged, this, &PnamesEditor::noteEdit);
  // Every operation may have changed pnames.str (a plane install, Reset All, this Save).
  connect(&runner_, &CoreRunner::finished, this, [this] {
    if (isVisible()) refresh();
  });
  new FocusFrame(*this);
  resize(fontMetrics().averageCharWidth() * 40 + 80, 480);
}

void PnamesEditor::LoadPnames() {
  edited_.clear();
  refresh();
}

void PnamesEditor::refresh() {
  const auto read = editors_.LoadPnames();
  read_ = editors_.pnameform.Grid.texts();
  showText(*problem_, read.failure);
  problem_->setVisible(!read.ok());
  showGrid();
}

void PnamesEditor::showGrid() {
  const QSignalBlocker quiet(grid_);
  const int rows = static_cast<int>(read_.size());
  grid_->setRowCount(rows);
  QStringList numbers;
  for (int r = 0; r < rows; ++r) {
    const auto typed = edited_.find(r);
    const auto& text = typed != edited_.end() ? typed->second : read_[static_cast<std::size_t>(r)];
    grid_->setItem(r, 0, new QTableWidgetItem(toQString(text)));
    numbers << QString::number(r);
  }
  // Row r is plane slot r: numbered from 0, as the plane grid and the plane codes count.
  grid_->setVerticalHeaderLabels(numbers);
}

void PnamesEditor::noteEdit(QTableWidgetItem* item) {
  const int row = item->row();
  if (row < 0 || row >= static_cast<int>(read_.size())) return;
  auto text = toStdString(item->text());
  if (text == read_[static_cast<std::size_t>(row)]) {
    edited_.erase(row);
  } else {
    edited_[row] = std::move(text);
  }
}

void PnamesEditor::SavePnames() {
  runner_.run([this] {
    auto outcome = editors_.SavePnames(edited_);
    if (outcome.ok() && !outcome.planned) edited_.clear();
    return outcome;
  });
}

}  // namespace kvo::ui
