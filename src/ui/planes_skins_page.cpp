#include "ui/planes_skins_page.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <initializer_list>

#include "planes/alt_planes.h"
#include "planes/skin_panel.h"
#include "state/form_state.h"
#include "ui/clickable_label.h"
#include "ui/core_runner.h"
#include "ui/grid_model.h"
#include "ui/grid_view.h"
#include "ui/keyboard.h"
#include "ui/menu_editor.h"
#include "ui/named.h"
#include "ui/picture_box.h"
#include "ui/pnames_editor.h"
#include "ui/view_sync.h"

namespace kvo::ui {

namespace {

const std::array<const char*, 6> kFuelCaptions = {"100%", "75%", "50%", "25%", "10%", "5%"};

// The core keeps the full fuel and its 1-based place in planes.dat as bare numbers.
QString fullLoadText(const std::string& fuel) {
  return fuel.empty() ? QStringLiteral("choose a plane first")
                      : QStringLiteral("full load %1").arg(toQString(fuel));
}

QString fuelPlaceText(const std::string& position) {
  return position.empty()
             ? QString()
             : QStringLiteral("stored at byte %1 of planes.dat").arg(toQString(position));
}

}  // namespace

PlanesSkinsPage::PlanesSkinsPage(kvo::FormState& state, kvo::SkinPanel& skins,
                                 kvo::AltPlanes& planes, CoreRunner& runner, QWidget* parent)
    : QWidget(parent), state_(state), skins_(skins), planes_(planes), runner_(runner) {
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(buildSkinFrame(), 3);
  layout->addWidget(buildPlaneFrame(), 2);
  connectHandlers();
  refresh();
}

QWidget* PlanesSkinsPage::buildSkinFrame() {
  auto* frame9 = named<QGroupBox>(QStringLiteral("Frame9"), QStringLiteral("Skins"));
  frame9_ = frame9;
  auto* layout = new QGridLayout(frame9);
  list1_ = named<QListWidget>(QStringLiteral("List1"));
  list1_->setMaximumWidth(90);
  label7_ =
      named<QLabel>(QStringLiteral("Label7"), QStringLiteral("Double-click to select/deselect"));
  sk1_ = new GridView(state_.SK1, QStringLiteral("SK1"));
  check5_ = named<QCheckBox>(QStringLiteral("Check5"), QStringLiteral("Include flt files"));
  check5_->setToolTip(
      QStringLiteral("A skin's flight files (*.flt, planes.dat...) are always loaded with it. If "
                     "checked, unloading the skin takes them out of the game folder too; if not, "
                     "they stay."));
  text3_ = named<QLineEdit>(QStringLiteral("Text3"));
  command12_ = named<QPushButton>(QStringLiteral("Command12"), QStringLiteral("Re-Name"));
  label39_ = new ClickableLabel(QStringLiteral("Clear all skins"), QStringLiteral("Label39"));
  auto* renameRow = new QHBoxLayout;
  renameRow->addWidget(text3_, 1);
  renameRow->addWidget(command12_);
  layout->addWidget(list1_, 0, 0, 5, 1);
  layout->addWidget(label7_, 0, 1);
  layout->addWidget(sk1_, 1, 1);
  layout->addWidget(check5_, 2, 1);
  layout->addLayout(renameRow, 3, 1);
  layout->addWidget(label39_, 4, 1);
  layout->addWidget(buildSkinPreview(), 0, 2, 5, 1);
  layout->setRowStretch(1, 1);
  layout->setColumnStretch(1, 3);
  layout->setColumnStretch(2, 2);
  return frame9;
}

QWidget* PlanesSkinsPage::buildSkinPreview() {
  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  image2_ = new PictureBox(QStringLiteral("Image2"));
  text10_ = named<QPlainTextEdit>(QStringLiteral("Text10"));
  text10_->setReadOnly(true);
  text10_->setTabChangesFocus(true);
  auto* codes = new QHBoxLayout;
  for (std::size_t i = 0; i < label19_.size(); ++i) {
    label19_[i] = named<QLabel>(QStringLiteral("label19_%1").arg(i));
    label19_[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    codes->addWidget(label19_[i]);
  }
  layout->addWidget(image2_, 3);
  layout->addWidget(text10_, 2);
  layout->addLayout(codes);
  layout->addWidget(buildEditorButtons());
  return column;
}

QWidget* PlanesSkinsPage::buildPlaneFrame() {
  frame6_ = named<QGroupBox>(QStringLiteral("Frame6"), QStringLiteral("Alternative Planes:"));
  // The skin grid keeps its width whether a flight model shows planes or not.
  QSizePolicy keepsRoom = frame6_->sizePolicy();
  keepsRoom.setRetainSizeWhenHidden(true);
  frame6_->setSizePolicy(keepsRoom);
  auto* layout = new QVBoxLayout(frame6_);
  // The folder the planes come from shows with them and goes with them.
  label2_ = named<QLabel>(QStringLiteral("Label2"));
  label2_->setTextFormat(Qt::PlainText);
  label2_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  layout->addWidget(label2_);
  layout->addWidget(
      named<QLabel>(QStringLiteral("Label23"), QStringLiteral("Single-click to select")));
  auto* headings = new QHBoxLayout;
  label20_ = {new ClickableLabel(QStringLiteral("Slot"), QStringLiteral("Label20_0")),
              new ClickableLabel(QStringLiteral("Name"), QStringLiteral("Label20_3"))};
  headings->addWidget(label20_[0]);
  headings->addWidget(label20_[1]);
  layout->addLayout(headings);
  g1_ = new GridView(state_.G1, QStringLiteral("G1"));
  layout->addWidget(g1_, 1);
  layout->addWidget(buildFuelBox());
  return frame6_;
}

QWidget* PlanesSkinsPage::buildFuelBox() {
  auto* box = new QWidget;
  auto* layout = new QGridLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  // The figures read as one line above the buttons, not as headings of their columns.
  auto* figures = new QHBoxLayout;
  figures->addWidget(named<QLabel>(QStringLiteral("Label25"), QStringLiteral("Fuel:")));
  label26_ = named<QLabel>(QStringLiteral("Label26"));
  label27_ = named<QLabel>(QStringLiteral("Label27"));
  figures->addWidget(label26_);
  figures->addWidget(label27_, 1);
  layout->addLayout(figures, 0, 0, 1, 3);
  for (std::size_t i = 0; i < option1_.size(); ++i) {
    option1_[i] = named<QRadioButton>(QStringLiteral("Option1_%1").arg(i),
                                      QString::fromLatin1(kFuelCaptions[i]));
    const int index = static_cast<int>(i);
    layout->addWidget(option1_[i], 1 + index / 3, index % 3);
  }
  return box;
}

void PlanesSkinsPage::connectHandlers() {
  connect(list1_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    const int index = list1_->row(item);
    state_.List1.index = index;
    runner_.show([this, index] { skins_.FilterGrids(index); });
  });
  // A skin reached with the keys is previewed as a clicked one is, so that Re-Name and
  // Enter act on the row the player sees.
  connect(sk1_, &GridView::cellClicked, this,
          [this](int row, int col) { onSkinRow(row, col, false); });
  connect(sk1_, &GridView::currentMovedByKey, this,
          [this](int row, int col) { onSkinRow(row, col, false); });
  connect(sk1_, &GridView::cellDoubleClicked, this,
          [this](int row, int col) { onSkinRow(row, col, true); });
  connect(sk1_, &GridView::enterPressed, this,
          [this](int row, int col) { onSkinRow(row, col, true); });
  followItemsByKeys(*list1_);
  connect(label39_, &ClickableLabel::clicked, this,
          [this] { runner_.run([this] { return skins_.Skinkill(); }); });
  connect(command12_, &QPushButton::clicked, this, &PlanesSkinsPage::renameSkin);
  connectPlaneHandlers();
  connect(check5_, &QCheckBox::toggled, this, [this](bool on) { state_.Check5 = on; });
  for (int i : {0, 1}) {
    const int column = i == 0 ? 0 : 3;
    connect(label20_[static_cast<std::size_t>(i)], &ClickableLabel::clicked, this,
            [this, column] { runner_.show([this, column] { planes_.Label20_Click(column); }); });
  }
  sk1_->setMouseTracking(true);
  connect(sk1_, &QAbstractItemView::entered, this, [this](const QModelIndex& index) {
    if (runner_.busy()) return;
    skins_.SK1_MouseMove(sk1_->gridModel().gridRow(index.row()));
    refresh();
  });
  frame9_->setMouseTracking(true);
  frame9_->installEventFilter(this);
  connect(text3_, &QLineEdit::textEdited, this,
          [this](const QString& text) { state_.Text3 = toStdString(text); });
}

// The row becomes the skin grid's current cell, as the window shows it; a click previews it,
// a double-click or Enter loads or unloads it.
void PlanesSkinsPage::onSkinRow(int row, int col, bool apply) {
  state_.SK1.row = row;
  state_.SK1.col = col;
  if (apply) {
    runner_.run([this, row] { return skins_.ApplySkinRow(row); });
  } else {
    runner_.show([this, row] { skins_.PreviewSkinRow(row); });
  }
}

bool PlanesSkinsPage::eventFilter(QObject* watched, QEvent* event) {
  // Leaving the skin grid for the frame around it takes the skin preview away.
  if (watched == frame9_ && event->type() == QEvent::MouseMove && !runner_.busy()) {
    skins_.Frame9_MouseMove();
    image2_->showPicture(state_.Image2);
  }
  return QWidget::eventFilter(watched, event);
}

// The skin of the grid's current row takes the name in the box.
void PlanesSkinsPage::renameSkin() {
  const int row = state_.SK1.row;
  const auto name = toStdString(text3_->text());
  runner_.run([this, row, name] { return skins_.RenameSkin(row, name); });
}

// The clicked cell becomes the grid's current cell, as the window shows it.
void PlanesSkinsPage::clickG1(int row, int col) {
  state_.G1.row = row;
  state_.G1.col = col;
  runner_.run([this, row] { return planes_.ApplyPlaneRow(row); });
}

QWidget* PlanesSkinsPage::buildEditorButtons() {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  pnamesButton_ =
      named<QPushButton>(QStringLiteral("PnamesEditorButton"), QStringLiteral("Plane names..."));
  menuButton_ =
      named<QPushButton>(QStringLiteral("MenuEditorButton"), QStringLiteral("Plane menus..."));
  layout->addWidget(pnamesButton_);
  layout->addWidget(menuButton_);
  return row;
}

void PlanesSkinsPage::connectPlaneHandlers() {
  connect(g1_, &GridView::cellClicked, this, &PlanesSkinsPage::clickG1);
  connect(g1_, &GridView::enterPressed, this, &PlanesSkinsPage::clickG1);
  g1_->setMouseTracking(true);
  connect(g1_, &QAbstractItemView::entered, this, [this](const QModelIndex& index) {
    if (runner_.busy()) return;
    planes_.G1_MouseMove(g1_->gridModel().gridRow(index.row()));
    refresh();
  });
  // The row the arrows reach is previewed as the one under the pointer is.
  connect(g1_, &GridView::currentMovedByKey, this, [this](int row, int) {
    if (runner_.busy()) return;
    planes_.G1_MouseMove(row);
    refresh();
  });
  for (std::size_t i = 0; i < option1_.size(); ++i) {
    const int index = static_cast<int>(i);
    // The fuel of the slot the labels show.
    connect(option1_[i], &QRadioButton::clicked, this, [this, index] {
      const int slot = state_.fuelSlot;
      runner_.run([this, slot, index] { return planes_.SetFuelLoad(slot, index); });
    });
  }
  connect(pnamesButton_, &QPushButton::clicked, this, &PlanesSkinsPage::openPnamesEditor);
  connect(menuButton_, &QPushButton::clicked, this, &PlanesSkinsPage::openMenuEditor);
}

void PlanesSkinsPage::openPnamesEditor() {
  if (!pnamesEditor_) pnamesEditor_ = new PnamesEditor(planes_.editors(), runner_, this);
  pnamesEditor_->LoadPnames();
  pnamesEditor_->show();
  pnamesEditor_->raise();
}

void PlanesSkinsPage::openMenuEditor() {
  if (!menuEditor_) menuEditor_ = new MenuEditor(planes_.editors(), runner_, this);
  menuEditor_->refresh();
  menuEditor_->show();
  menuEditor_->raise();
}

// The button of the share planes.dat holds, or none when it holds another value: the buttons
// say what the disk says, not what was pressed last.
void PlanesSkinsPage::showFuelChoice(int index) {
  for (std::size_t i = 0; i < option1_.size(); ++i) {
    QRadioButton& button = *option1_[i];
    // Exclusive buttons do not let the last checked one go otherwise.
    button.setAutoExclusive(false);
    button.setChecked(static_cast<int>(i) == index);
    button.setAutoExclusive(true);
  }
}

void PlanesSkinsPage::refresh() {
  const kvo::FormState& state = state_;
  sk1_->refresh();
  g1_->refresh();
  showList(*list1_, state.List1);
  for (QWidget* control :
       std::initializer_list<QWidget*>{list1_, sk1_, label7_, command12_, text3_}) {
    control->setVisible(state.skinControlsVisible);
  }
  check5_->setChecked(state.Check5);
  showText(*text3_, state.Text3);
  showText(*text10_, state.Text10);
  showText(*label2_, state.Label2);
  label2_->setToolTip(label2_->text());
  label26_->setText(fullLoadText(state.Label26));
  label27_->setText(fuelPlaceText(state.Label27));
  showFuelChoice(runner_.busy() ? -1 : planes_.fuelOnDisk());
  for (std::size_t i = 0; i < label19_.size(); ++i) showText(*label19_[i], planes_.label19()[i]);
  image2_->showPicture(state.Image2);
  frame6_->setVisible(state.Frame6Visible);
}

}  // namespace kvo::ui
