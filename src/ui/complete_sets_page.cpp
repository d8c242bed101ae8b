#include "ui/complete_sets_page.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/selector.h"
#include "ui/core_runner.h"
#include "ui/named.h"
#include "ui/picture_box.h"
#include "ui/view_sync.h"

namespace kvo::ui {

CompleteSetsPage::CompleteSetsPage(kvo::Selector& selector, CoreRunner& runner, QWidget* parent)
    : QWidget(parent), s_(selector), runner_(runner) {
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(buildPackageColumn(), 2);
  layout->addWidget(buildPreviewColumn(), 3);
  connectHandlers();
  refresh();
}

QWidget* CompleteSetsPage::buildPackageColumn() {
  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(QStringLiteral("Packages:")));
  gupc_ = named<QListWidget>(QStringLiteral("GUPC"));
  layout->addWidget(gupc_, 2);
  layout->addWidget(new QLabel(QStringLiteral("Contents:")));
  layout->addWidget(named<QListWidget>(QStringLiteral("List9")), 2);
  check1_ = named<QCheckBox>(QStringLiteral("Check1"), QStringLiteral("Reset all before loading"));
  check2_ =
      named<QCheckBox>(QStringLiteral("Check2"), QStringLiteral("Save to memory to post online"));
  layout->addWidget(check1_);
  layout->addWidget(check2_);
  layout->addWidget(
      named<QPushButton>(QStringLiteral("LoadQ"), QStringLiteral("Load this package")));
  label29_ = named<QLabel>(QStringLiteral("Label29"));
  label29_->setFrameShape(QFrame::Box);
  label29_->setAlignment(Qt::AlignCenter);
  label29_->setMinimumHeight(48);
  layout->addWidget(label29_);
  return column;
}

QWidget* CompleteSetsPage::buildPreviewColumn() {
  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  image4_ = new PictureBox(QStringLiteral("Image4"));
  auto* label51 = named<QLabel>(QStringLiteral("Label51"));
  label51->setWordWrap(true);
  label51->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  layout->addWidget(image4_, 3);
  layout->addWidget(label51, 2);
  return column;
}

void CompleteSetsPage::connectHandlers() {
  connect(gupc_, &QListWidget::currentRowChanged, this,
          [this](int row) { s_.state.GUPC.index = row; });
  connect(check1_, &QCheckBox::toggled, this, [this](bool on) { s_.state.Check1 = on; });
  connect(check2_, &QCheckBox::toggled, this, [this](bool on) { s_.state.Check2 = on; });
}

void CompleteSetsPage::refresh() {
  const kvo::FormState& state = s_.state;
  showList(*gupc_, state.GUPC);
  check1_->setChecked(state.Check1);
  check2_->setChecked(state.Check2);
  showText(*label29_, state.Label29);
  image4_->showPicture(state.Image4);
}

}  // namespace kvo::ui
