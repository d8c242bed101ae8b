#include "ui/main_window.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/selector.h"
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
    : QMainWindow(parent), runner_(new CoreRunner(selector.game, selector.shell, this)) {
  setObjectName(QStringLiteral("KVOForm"));
  setWindowTitle(toQString(selector.state.caption));
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  buildTabs(selector);
  layout->addWidget(tabs_, 1);
  layout->addWidget(buildButtons(selector));
  setCentralWidget(central);
  statusBar()->setSizeGripEnabled(false);
  // The grids stay enabled while an action runs: disabling them would throw the keyboard
  // focus out of the grid the player works in. The runner refuses a second action meanwhile.
  connect(runner_, &CoreRunner::finished, this, &MainWindow::refresh);
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

void MainWindow::buildTabs(kvo::Selector& s) {
  tabs_ = named<QTabWidget>(QStringLiteral("SSTab1"));
  general_ = new GeneralSettingsPage(s.state, s.settings, s.game, *runner_);
  completeSets_ = new CompleteSetsPage(s.state, s.packages, *runner_);
  world_ = new WorldSettingsPage(s.state, s.engine, s.installer, s.record, s.shell, *runner_);
  autoscripts_ = new AutoscriptsPage(s.state, s.scripts, s.launcher, s.music, *runner_);
  planesSkins_ = new PlanesSkinsPage(s.state, s.skins, s.planes, *runner_);
  tabs_->addTab(general_, QStringLiteral("General Settings"));
  tabs_->addTab(completeSets_, QStringLiteral("Complete Sets"));
  tabs_->addTab(world_, QStringLiteral("World Settings"));
  tabs_->addTab(autoscripts_, QStringLiteral("Autoscripts and Program launch"));
  tabs_->addTab(planesSkins_, QStringLiteral("Planes and Skins"));
}

QWidget* MainWindow::buildButtons(kvo::Selector& selector) {
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
  auto& reset = selector.reset;
  auto& launcher = selector.launcher;
  connect(resetButton, &QPushButton::clicked, this, [this, &reset, &selector] {
    runner_->run([&reset, &selector] { return reset.confirmedReset(selector.shell); });
  });
  connect(delMsn, &QPushButton::clicked, this,
          [this, &reset] { runner_->run([&reset] { return reset.delmsn_Click(); }); });
  connect(exitButton, &QPushButton::clicked, this,
          [this, &launcher] { runner_->show([&launcher] { launcher.Command3_Click(); }); });
  connect(minimise, &QPushButton::clicked, this,
          [this, &launcher] { runner_->show([&launcher] { launcher.Command8_Click(); }); });
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
