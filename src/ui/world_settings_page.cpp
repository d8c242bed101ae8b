#include "ui/world_settings_page.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QVBoxLayout>

#include "engine/folder_engine.h"
#include "state/form_state.h"
#include "ui/clickable_label.h"
#include "ui/core_runner.h"
#include "ui/grid_model.h"
#include "ui/grid_view.h"
#include "ui/named.h"
#include "ui/picture_box.h"
#include "ui/view_sync.h"

namespace kvo::ui {

WorldSettingsPage::WorldSettingsPage(kvo::FormState& state, kvo::FolderEngine& engine,
                                     CoreRunner& runner, QWidget* parent)
    : QWidget(parent), state_(state), engine_(engine), runner_(runner) {
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(buildLoadFrame(), 4);
  layout->addWidget(buildFilterColumn(), 3);
  layout->addWidget(buildPreviewColumn(), 3);
  connectHandlers();
  refresh();
}

QWidget* WorldSettingsPage::buildLoadFrame() {
  auto* frame = named<QFrame>(QStringLiteral("LoadFrame"));
  frame->setFrameShape(QFrame::StyledPanel);
  loadFrame_ = frame;
  auto* layout = new QVBoxLayout(frame);
  auto* label22 = named<QLabel>(
      QStringLiteral("Label22"),
      QStringLiteral(
          "Click on a white row to load a folder, or click on a green row to unload it."));
  label22->setWordWrap(true);
  unigrid_ = new GridView(state_.Unigrid, QStringLiteral("Unigrid"));
  layout->addWidget(label22);
  layout->addWidget(unigrid_, 1);
  return frame;
}

QWidget* WorldSettingsPage::buildFilterColumn() {
  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  list3_ = named<QListWidget>(QStringLiteral("List3"));
  auto* codeRow = new QHBoxLayout;
  codeRow->addWidget(named<QLabel>(QStringLiteral("Label9"), QStringLiteral("Code letter")));
  label6_ = named<QLabel>(QStringLiteral("Label6"));
  label6_->setFrameShape(QFrame::Panel);
  label6_->setAlignment(Qt::AlignCenter);
  // Wide enough for any code letter, so that choosing a category moves nothing beside it.
  label6_->setFixedWidth(label6_->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 8);
  codeRow->addWidget(label6_);
  codeRow->addStretch(1);
  label33_ = new ClickableLabel(QStringLiteral("Refresh!"), QStringLiteral("Label33"));
  codeRow->addWidget(label33_);
  layout->addWidget(list3_, 3);
  layout->addLayout(codeRow);
  layout->addWidget(buildLoadedList(), 2);
  return column;
}

// The list of loaded folders grows with every load; it scrolls in a room of its own instead
// of pushing "Refresh!" and the grid's neighbours about.
QWidget* WorldSettingsPage::buildLoadedList() {
  label8_ = named<QLabel>(QStringLiteral("Label8"));
  label8_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  label8_->setWordWrap(true);
  label8_->setTextFormat(Qt::PlainText);
  auto* area = new QScrollArea;
  area->setWidget(label8_);
  area->setWidgetResizable(true);
  area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  area->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
  return area;
}

QWidget* WorldSettingsPage::buildPreviewColumn() {
  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  myImage_ = new PictureBox(QStringLiteral("MyImage"));
  myLabel_ = named<QLabel>(QStringLiteral("MyLabel"));
  myLabel_->setWordWrap(true);
  // A folder's contents.txt is the author's plain text, never markup to interpret.
  myLabel_->setTextFormat(Qt::PlainText);
  myLabel_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  // Text9 below shows the same text with a scroll bar; this one must not grow with it.
  myLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  text9_ = named<QPlainTextEdit>(QStringLiteral("Text9"));
  text9_->setReadOnly(true);
  conflictLabel_ = named<QLabel>(QStringLiteral("ConflictLabel"));
  conflictLabel_->setWordWrap(true);
  conflictLabel_->setTextFormat(Qt::PlainText);
  layout->addWidget(myImage_, 3);
  layout->addWidget(conflictLabel_);
  layout->addWidget(myLabel_, 1);
  layout->addWidget(text9_, 2);
  return column;
}

void WorldSettingsPage::connectHandlers() {
  connect(unigrid_, &GridView::cellClicked, this, &WorldSettingsPage::clickUnigrid);
  connect(unigrid_, &GridView::enterPressed, this, &WorldSettingsPage::clickUnigrid);
  connect(list3_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    const int index = list3_->row(item);
    runner_.show([this, index] { engine_.List3_Click(index); });
  });
  connect(label33_, &ClickableLabel::clicked, this,
          [this] { runner_.run([this] { return engine_.PopulateFolderGrid(); }); });
  unigrid_->setMouseTracking(true);
  unigrid_->viewport()->setMouseTracking(true);
  unigrid_->viewport()->installEventFilter(this);
  connect(unigrid_, &QAbstractItemView::entered, this, [this](const QModelIndex& index) {
    if (runner_.busy()) return;
    engine_.previewRow(unigrid_->gridModel().gridRow(index.row()));
    showPreview();
  });
  for (QWidget* area : {static_cast<QWidget*>(list3_->viewport()), loadFrame_}) {
    area->setMouseTracking(true);
    area->installEventFilter(this);
  }
}

bool WorldSettingsPage::eventFilter(QObject* watched, QEvent* event) {
  if (runner_.busy()) return QWidget::eventFilter(watched, event);
  if (watched == unigrid_->viewport() && leavesFolderRows(event)) {
    // No row is under the pointer: its text goes from both boxes, then the start-up
    // picture comes back as over the category list.
    engine_.previewRow(0);
    engine_.resetPreview();
    showPreview();
  } else if (watched != unigrid_->viewport() && event->type() == QEvent::MouseMove) {
    engine_.resetPreview();
    showPreview();
  }
  return QWidget::eventFilter(watched, event);
}

// A preview belongs to the row under the pointer: it goes when the pointer leaves the grid
// or moves below its last row.
bool WorldSettingsPage::leavesFolderRows(const QEvent* event) const {
  if (event->type() == QEvent::Leave) return true;
  if (event->type() != QEvent::MouseMove) return false;
  const auto* move = static_cast<const QMouseEvent*>(event);
  return !unigrid_->indexAt(move->position().toPoint()).isValid();
}

void WorldSettingsPage::showPreview() {
  showText(*myLabel_, state_.MyLabel);
  showText(*text9_, state_.Text9);
  showText(*conflictLabel_, state_.ConflictText);
  myImage_->showPicture(state_.MyImage);
}

// The clicked cell becomes the grid's current cell, as the window shows it.
void WorldSettingsPage::clickUnigrid(int row, int col) {
  state_.Unigrid.row = row;
  state_.Unigrid.col = col;
  runner_.run([this, row] { return engine_.Unigrid_Click(row); });
}

void WorldSettingsPage::refresh() {
  const kvo::FormState& state = state_;
  unigrid_->refresh();
  showList(*list3_, state.List3);
  showText(*label6_, state.Label6);
  showText(*label8_, state.Label8);
  label8_->setVisible(state.Label8Visible);
  showPreview();
}

}  // namespace kvo::ui
