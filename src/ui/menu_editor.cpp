#include "ui/menu_editor.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "planes/plane_file_editors.h"
#include "ui/core_runner.h"
#include "ui/focus_frame.h"
#include "ui/named.h"
#include "ui/view_sync.h"

namespace kvo::ui {

MenuEditor::MenuEditor(kvo::PlaneFileEditors& editors, CoreRunner& runner, QWidget* parent)
    : QDialog(parent), editors_(editors), runner_(runner) {
  setObjectName(QStringLiteral("Pmnuform"));
  setWindowTitle(QStringLiteral("Reader of mnu files"));
  auto* layout = new QVBoxLayout(this);
  auto* frame =
      named<QGroupBox>(QStringLiteral("MnuFrame"),
                       QStringLiteral("Select Picplnb, Picplna, or Picplng.mnu to read/edit"));
  auto* sides = new QHBoxLayout(frame);
  const char* const captions[] = {"B", "A", "G"};
  for (int i = 0; i < 3; ++i) {
    auto* button = named<QRadioButton>(QStringLiteral("CountryBut_%1").arg(i),
                                       QString::fromLatin1(captions[i]));
    countryBut_[static_cast<std::size_t>(i)] = button;
    sides->addWidget(button);
    connect(button, &QRadioButton::toggled, this, [this, i](bool on) {
      if (on) showSide(static_cast<std::size_t>(i));
    });
  }
  auto* read = named<QPushButton>(QStringLiteral("BMenRead"), QStringLiteral("Read"));
  auto* write = named<QPushButton>(QStringLiteral("hux"), QStringLiteral("Write"));
  // Enter in a name box writes, as OK does in a dialog; it must not read the file again over
  // the names typed.
  write->setDefault(true);
  sides->addWidget(read);
  sides->addWidget(write);
  connect(read, &QPushButton::clicked, this, &MenuEditor::Pmensee);
  connect(write, &QPushButton::clicked, this, &MenuEditor::pmenwrite);
  layout->addWidget(frame);
  layout->addWidget(buildRecords(), 1);
  problem_ = named<QLabel>(QStringLiteral("MnuProblem"));
  problem_->setWordWrap(true);
  layout->addWidget(problem_);
  layout->addWidget(buildDetails());
  // Every operation may have changed the menus (a plane install, Reset All, this Write).
  connect(&runner_, &CoreRunner::finished, this, [this] {
    if (isVisible()) refresh();
  });
  new FocusFrame(*this);
  showDetails(false);
  refresh();
}

// The header and the bytes after each name are carried through unchanged; a player edits
// names, so the bytes show only on demand.
QWidget* MenuEditor::buildDetails() {
  auto* box = new QWidget;
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  details_ = named<QCheckBox>(QStringLiteral("MnuDetails"),
                              QStringLiteral("Show the bytes kept unchanged around the names"));
  connect(details_, &QCheckBox::toggled, this, &MenuEditor::showDetails);
  headerCaption_ = new QLabel(QStringLiteral("Header bytes:"));
  hedlab_ = named<QLabel>(QStringLiteral("hedlab"));
  hedlab_->setWordWrap(true);
  hedlab_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(details_);
  layout->addWidget(headerCaption_);
  layout->addWidget(hedlab_);
  return box;
}

void MenuEditor::showDetails(bool shown) {
  headerCaption_->setVisible(shown);
  hedlab_->setVisible(shown);
  tailCaption_->setVisible(shown);
  for (QLabel* tail : position_) tail->setVisible(shown);
}

QWidget* MenuEditor::buildRecords() {
  auto* box = new QWidget;
  auto* grid = new QGridLayout(box);
  grid->addWidget(new QLabel(QStringLiteral("Entry")), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("Name")), 0, 1);
  auto* length = new QLabel(QStringLiteral("Length"));
  length->setToolTip(QStringLiteral("The bytes the name takes in the file, its end mark included"));
  grid->addWidget(length, 0, 2);
  tailCaption_ = new QLabel(QStringLiteral("Bytes after the name"));
  grid->addWidget(tailCaption_, 0, 3);
  for (int k = 0; k < 11; ++k) {
    const auto i = static_cast<std::size_t>(k);
    const int row = k + 1;
    mlen_[i] = named<QLabel>(QStringLiteral("mlen_%1").arg(k));
    bmnutb_[i] = named<QLineEdit>(QStringLiteral("bmnutb_%1").arg(k));
    position_[i] = named<QLabel>(QStringLiteral("position_%1").arg(k));
    // Entries count from 0, as the plane slots and the grids do.
    grid->addWidget(new QLabel(QString::number(k)), row, 0);
    grid->addWidget(bmnutb_[i], row, 1);
    grid->addWidget(mlen_[i], row, 2);
    grid->addWidget(position_[i], row, 3);
    // Every change of a name re-derives its length at once, as the window always has.
    connect(bmnutb_[i], &QLineEdit::textEdited, this, [this, k](const QString& text) {
      auto name = toStdString(text);
      editors_.pmnuform.setBmnutb(k, name);
      edited_[side_][k] = std::move(name);
      showText(*mlen_[static_cast<std::size_t>(k)], editors_.pmnuform.mlen(k));
    });
  }
  grid->setColumnStretch(1, 1);
  return box;
}

void MenuEditor::showSide(std::size_t side) {
  side_ = side;
  refresh();
}

// The core's form is shared with the plane install, which leaves another side in it: the
// side shown is read again, the typed names go on top.
void MenuEditor::refresh() {
  const auto read = editors_.Pmensee(side());
  showText(*problem_, read.failure);
  problem_->setVisible(!read.ok());
  if (read.ok()) {
    for (const auto& [entry, name] : edited_[side_]) editors_.pmnuform.setBmnutb(entry, name);
  }
  showControls();
}

void MenuEditor::showControls() {
  const auto& form = editors_.pmnuform;
  for (int i = 0; i < 3; ++i) {
    auto* button = countryBut_[static_cast<std::size_t>(i)];
    const QSignalBlocker quiet(button);
    button->setChecked(static_cast<std::size_t>(i) == side_);
  }
  showText(*hedlab_, form.hedlab());
  for (int k = 0; k < 11; ++k) {
    const auto i = static_cast<std::size_t>(k);
    showText(*mlen_[i], form.mlen(k));
    showText(*bmnutb_[i], form.bmnutb(k));
    showText(*position_[i], form.position(k));
  }
}

void MenuEditor::Pmensee() {
  edited_[side_].clear();
  // The window reads the side again once the operation is over, as after any other.
  runner_.run([this] { return editors_.Pmensee(side()); });
}

void MenuEditor::pmenwrite() {
  runner_.run([this] {
    auto outcome = editors_.pmenwrite(side(), edited_[side_]);
    if (outcome.ok() && !outcome.planned) edited_[side_].clear();
    return outcome;
  });
}

}  // namespace kvo::ui
