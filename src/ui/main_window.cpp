#include "ui/main_window.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/selector.h"
#include "ui/action_report.h"
#include "ui/autoscripts_page.h"
#include "ui/complete_sets_page.h"
#include "ui/core_runner.h"
#include "ui/focus_frame.h"
#include "ui/general_settings_page.h"
#include "ui/item_focus_mark.h"
#include "ui/named.h"
#include "ui/planes_skins_page.h"
#include "ui/view_sync.h"
#include "ui/world_settings_page.h"

namespace kvo::ui {

MainWindow::MainWindow(kvo::Selector& selector, QWidget* parent)
    : QMainWindow(parent), s_(selector), runner_(new CoreRunner(selector.core, this)) {
  setObjectName(QStringLiteral("KVOForm"));
  setWindowTitle(toQString(selector.state.caption));
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  buildTabs();
  layout->addWidget(tabs_, 1);
  layout->addWidget(buildButtons());
  setCentralWidget(central);
  statusBar()->setSizeGripEnabled(false);
  connectReports();
  prepareForKeyboard();
  resize(1000, 720);
}

// Outside a dialog a push button answers Space only; players press Enter on it as well. A list
// shows the item the keys act on as clearly as the grids show their row.
void MainWindow::prepareForKeyboard() {
  for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(true);
  for (QListWidget* list : findChildren<QListWidget*>()) markCurrentItem(*list);
  new FocusFrame(*this);
}

MainWindow::~MainWindow() {
  // Closing takes the focus out of a settings box, which would report into a window that is
  // half gone.
  disconnect(general_, nullptr, this, nullptr);
}

// The grids stay enabled while an action runs: disabling them would throw the keyboard focus
// out of the grid the player works in. The runner refuses a second action meanwhile.
void MainWindow::connectReports() {
  connect(runner_, &CoreRunner::started, this,
          [this] { selection_ = std::make_unique<SelectionReport>(s_.state); });
  connect(runner_, &CoreRunner::finished, this, [this] {
    refresh();
    if (selection_) report(selection_->describe(s_.state));
    selection_.reset();
  });
  connect(general_, &GeneralSettingsPage::reported, this, &MainWindow::report);
  connect(world_, &WorldSettingsPage::reported, this, &MainWindow::report);
  connect(planesSkins_, &PlanesSkinsPage::reported, this, &MainWindow::report);
}

void MainWindow::report(const QString& text) {
  // An action that changed nothing leaves the last report standing.
  if (text.isEmpty()) return;
  statusBar()->showMessage(text);
  // A long report may not fit the status bar's width.
  statusBar()->setToolTip(text);
}

void MainWindow::resetAll() {
  const ResetAllReport before(s_.state);
  if (runner_->run([this] { s_.reset.Command1_Click(); })) report(before.describe(s_.state));
}

void MainWindow::deleteDefaultMissions() {
  const DelMsnReport before(s_.state);
  if (runner_->run([this] { s_.reset.delmsn_Click(); })) report(before.describe(s_.state));
}

void MainWindow::buildTabs() {
  tabs_ = named<QTabWidget>(QStringLiteral("SSTab1"));
  general_ = new GeneralSettingsPage(s_, *runner_);
  completeSets_ = new CompleteSetsPage(s_, *runner_);
  world_ = new WorldSettingsPage(s_, *runner_);
  autoscripts_ = new AutoscriptsPage(s_, *runner_);
  planesSkins_ = new PlanesSkinsPage(s_, *runner_);
  tabs_->addTab(general_, QStringLiteral("General Settings"));
  tabs_->addTab(completeSets_, QStringLiteral("Complete Sets"));
  tabs_->addTab(world_, QStringLiteral("World Settings"));
  tabs_->addTab(autoscripts_, QStringLiteral("Autoscripts and Program launch"));
  tabs_->addTab(planesSkins_, QStringLiteral("Planes and Skins"));
}

QWidget* MainWindow::buildButtons() {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* resetButton = named<QPushButton>(QStringLiteral("Command1"), QStringLiteral("Reset All"));
  resetButton->setToolTip(
      QStringLiteral("Moves all extra files added by this software to the EAW "
                     "folder back to their original folders."));
  auto* delMsn = named<QPushButton>(QStringLiteral("delmsn"), QStringLiteral("Del MSN"));
  delMsn->setToolTip(QStringLiteral("Deletes \"DefaultXXX.msn\""));
  auto* exitButton = named<QPushButton>(QStringLiteral("Command3"), QStringLiteral("Exit"));
  auto* minimise = named<QPushButton>(QStringLiteral("Command8"), QStringLiteral("Minimise"));
  layout->addWidget(resetButton);
  layout->addWidget(delMsn);
  layout->addStretch(1);
  layout->addWidget(minimise);
  layout->addWidget(exitButton);
  connect(resetButton, &QPushButton::clicked, this, &MainWindow::resetAll);
  connect(delMsn, &QPushButton::clicked, this, &MainWindow::deleteDefaultMissions);
  connect(exitButton, &QPushButton::clicked, this,
          [this] { runner_->run([this] { s_.launcher.Command3_Click(); }); });
  connect(minimise, &QPushButton::clicked, this,
          [this] { runner_->run([this] { s_.launcher.Command8_Click(); }); });
  return row;
}

void MainWindow::refresh() {
  general_->refresh();
  completeSets_->refresh();
  world_->refresh();
  autoscripts_->refresh();
  planesSkins_->refresh();
}

}  // namespace kvo::ui
