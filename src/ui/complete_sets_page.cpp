#include "ui/complete_sets_page.h"

#include <QCheckBox>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include "scripts/packages.h"
#include "state/form_state.h"
#include "ui/clickable_label.h"
#include "ui/core_runner.h"
#include "ui/keyboard.h"
#include "ui/list_picks.h"
#include "ui/named.h"
#include "ui/picture_box.h"
#include "ui/view_sync.h"

namespace kvo::ui {

CompleteSetsPage::CompleteSetsPage(kvo::FormState& state, kvo::Packages& packages,
                                   CoreRunner& runner, QWidget* parent)
    : QWidget(parent), state_(state), packages_(packages), runner_(runner) {
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
  list9_ = named<QListWidget>(QStringLiteral("List9"));
  layout->addWidget(list9_, 2);
  check1_ = named<QCheckBox>(QStringLiteral("Check1"), QStringLiteral("Reset all before loading"));
  check2_ =
      named<QCheckBox>(QStringLiteral("Check2"), QStringLiteral("Save to memory to post online"));
  layout->addWidget(check1_);
  layout->addWidget(check2_);
  loadQ_ = named<QPushButton>(QStringLiteral("LoadQ"), QStringLiteral("Load this package"));
  layout->addWidget(loadQ_);
  // The online client's hand-over is picked up by the pointer passing over, without a click,
  // or by Enter or Space once Tab has reached the area.
  label29_ = new ClickableLabel(QString(), QStringLiteral("Label29"));
  label29_->setMouseTracking(true);
  label29_->installEventFilter(this);
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
  label51_ = named<QLabel>(QStringLiteral("Label51"));
  label51_->setWordWrap(true);
  label51_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  label51_->setTextFormat(Qt::PlainText);
  // What loading the package would change, from the same plan the load makes.
  packagePlan_ = named<QLabel>(QStringLiteral("PackagePlan"));
  packagePlan_->setWordWrap(true);
  packagePlan_->setTextFormat(Qt::PlainText);
  layout->addWidget(image4_, 3);
  layout->addWidget(packagePlan_);
  layout->addWidget(label51_, 2);
  return column;
}

void CompleteSetsPage::connectHandlers() {
  // The selected entry shows as selected; the preview gets its name.
  // The list shows the core's names; the selected one is handed over as the core spells it.
  // Read again on every click: the file may have changed since the last look.
  new ListPicks(*gupc_, [this](int row) {
    state_.GUPC.index = row;
    const auto file = state_.GUPC.selectedText();
    runner_.run([this, file] { return packages_.GUPC_Click(file); });
  });
  connect(list9_, &QListWidget::currentRowChanged, this, [this](int row) {
    state_.List9.index = row;
    const auto entry = state_.List9.selectedText();
    runner_.run([this, entry] { return packages_.List9_Click(entry); });
  });
  // The boxes only change what the next load does; the player hears so at once.
  connect(check1_, &QCheckBox::clicked, this, [this](bool on) {
    runner_.status(on ? "Loading a package now runs Reset All first."
                      : "Loading a package no longer runs Reset All first.");
  });
  connect(check2_, &QCheckBox::clicked, this, [this](bool on) {
    runner_.status(on ? "Loading a package now also puts its name on the clipboard to post online."
                      : "Loading a package no longer puts its name on the clipboard.");
  });
  connect(loadQ_, &QPushButton::clicked, this, [this] {
    const auto file = state_.GUPC.selectedText();
    runner_.run([this, file] {
      return packages_.LoadPackage(file, check1_->isChecked(), check2_->isChecked());
    });
  });
}

bool CompleteSetsPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == label29_ && (pointerBringsNews(*event) || isPressKey(*event))) {
    runner_.run(
        [this] { return packages_.Label29_MouseMove(check1_->isChecked(), check2_->isChecked()); });
  }
  return QWidget::eventFilter(watched, event);
}

// Arriving over the label always looks at the clipboard; moving on over it only when the
// clipboard holds something new, since every look repaints the window and text that names no
// package stays there.
bool CompleteSetsPage::pointerBringsNews(const QEvent& event) {
  if (event.type() != QEvent::Enter && event.type() != QEvent::MouseMove) return false;
  const QString text = QGuiApplication::clipboard()->text();
  const bool news = event.type() == QEvent::Enter || (!text.isEmpty() && text != clipboardSeen_);
  clipboardSeen_ = text;
  return news;
}

void CompleteSetsPage::refresh() {
  const kvo::FormState& state = state_;
  showList(*gupc_, state.GUPC);
  showList(*list9_, state.List9);
  showText(*label29_, state.Label29);
  showText(*packagePlan_, state.PackagePlan);
  std::string description = state.Label51;
  std::erase(description, '\r');
  showText(*label51_, description);
  image4_->showPicture(state.Image4);
}

}  // namespace kvo::ui
