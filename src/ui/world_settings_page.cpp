#include "ui/world_settings_page.h"

#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/mod_installer.h"
#include "archive/install_plan.h"
#include "engine/deployment_check.h"
#include "engine/folder_engine.h"
#include "platform/listing.h"
#include "state/file_progress.h"
#include "state/form_state.h"
#include "ui/add_mod_dialog.h"
#include "ui/clickable_label.h"
#include "ui/core_runner.h"
#include "ui/file_drop.h"
#include "ui/filter_box.h"
#include "ui/grid_model.h"
#include "ui/grid_view.h"
#include "ui/keyboard.h"
#include "ui/named.h"
#include "ui/picture_box.h"
#include "ui/view_sync.h"

namespace kvo::ui {

WorldSettingsPage::WorldSettingsPage(kvo::FormState& state, kvo::FolderEngine& engine,
                                     kvo::ModInstaller& installer, const kvo::LoadRecord& record,
                                     kvo::Shell& shell, CoreRunner& runner, QWidget* parent)
    : QWidget(parent),
      state_(state),
      engine_(engine),
      installer_(installer),
      record_(record),
      shell_(shell),
      runner_(runner) {
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
  folderFilter_ = new FilterBox(QStringLiteral("FolderFilter"),
                                QStringLiteral("Type part of a folder name to narrow the list"));
  unigrid_ = new GridView(state_.Unigrid, QStringLiteral("Unigrid"));
  layout->addWidget(label22);
  layout->addWidget(folderFilter_);
  layout->addWidget(unigrid_, 1);
  layout->addWidget(buildAddModRow());
  return frame;
}

QWidget* WorldSettingsPage::buildAddModRow() {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  addMod_ = named<QPushButton>(QStringLiteral("AddMod"), QStringLiteral("Add mod..."));
  addMod_->setToolTip(
      QStringLiteral("Installs a mod from the archive it came in (.zip, .7z, .rar, .tar.gz)"));
  auto* hint = named<QLabel>(QStringLiteral("AddModHint"),
                             QStringLiteral("or drop an archive or a folder onto the list"));
  layout->addWidget(addMod_);
  layout->addWidget(hint, 1);
  return row;
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
  auto* area = named<QScrollArea>(QStringLiteral("Label8Scroll"));
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
  text9_->setTabChangesFocus(true);
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
  followItemsByKeys(*list3_);
  connect(label33_, &ClickableLabel::clicked, this,
          [this] { runner_.run([this] { return engine_.PopulateFolderGrid(); }); });
  connect(addMod_, &QPushButton::clicked, this, &WorldSettingsPage::pickArchive);
  connect(new FileDrop(*unigrid_->viewport()), &FileDrop::dropped, this,
          &WorldSettingsPage::addDropped);
  connectKeyboard();
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

// The keyboard's ways to what the pointer does: the name filter, the preview of the row the
// arrows reach, and the row's menu.
void WorldSettingsPage::connectKeyboard() {
  connect(folderFilter_, &QLineEdit::textChanged, this,
          [this](const QString& text) { unigrid_->setNameFilter(text, 1); });
  connect(folderFilter_, &FilterBox::leftDown, this,
          [this] { unigrid_->setFocus(Qt::TabFocusReason); });
  connect(unigrid_, &GridView::currentMovedByKey, this, [this](int row, int) {
    if (runner_.busy()) return;
    engine_.previewRow(row);
    showPreview();
  });
  connect(unigrid_, &GridView::rowMenuRequested, this, &WorldSettingsPage::showFolderMenu);
}

void WorldSettingsPage::showFolderMenu(int row, const QPoint& at) {
  const kvo::Grid& grid = state_.Unigrid;
  const bool loaded = grid.text(row, 2) == "S";
  // One menu, filled anew each time: a menu that deleted itself on closing would go while the
  // load it started still runs inside its own key handler.
  if (!folderMenu_) folderMenu_ = named<QMenu>(QStringLiteral("FolderMenu"), this);
  QMenu* menu = folderMenu_;
  menu->clear();
  QAction* click = menu->addAction(loaded ? QStringLiteral("Unload") : QStringLiteral("Load"));
  connect(click, &QAction::triggered, this, [this, row] { clickUnigrid(row, 1); });
  QAction* open = menu->addAction(QStringLiteral("Open folder"));
  connect(open, &QAction::triggered, this, [this, row] { openFolder(row); });
  // A loaded folder's files are in place already: loading it overwrites nothing more.
  QAction* conflicts = menu->addAction(QStringLiteral("Show conflicts"));
  conflicts->setEnabled(!loaded);
  connect(conflicts, &QAction::triggered, this, [this, row] { showConflicts(row); });
  menu->popup(at);
}

void WorldSettingsPage::openFolder(int row) {
  const kvo::Grid& grid = state_.Unigrid;
  const QString folder = pathToQString(kvo::nameToPath(grid.text(row, 0)));
  const QString name = toQString(grid.text(row, 1));
  if (QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) {
    say(QStringLiteral("Opened %1 in the file manager.").arg(name));
  } else {
    say(QStringLiteral("Could not open %1: the desktop has no program that shows folders.")
            .arg(folder));
  }
}

// The same words as the preview beside the grid, from the click's own plan, with each file and
// who provides it now below them.
void WorldSettingsPage::showConflicts(int row) {
  const kvo::Grid& grid = state_.Unigrid;
  std::string summary;
  std::vector<kvo::Conflict> conflicts;
  if (!runner_.show([&] {
        summary = engine_.conflictText(row);
        conflicts = engine_.conflictsOf(row);
      })) {
    return;
  }
  QStringList files;
  for (const kvo::Conflict& conflict : conflicts) {
    files << QStringLiteral("%1 (%2)").arg(
        toQString(conflict.file),
        conflict.provider == "game"
            ? QStringLiteral("the game's own file")
            : QStringLiteral("now from %1").arg(toQString(conflict.provider)));
  }
  auto* box =
      named<QMessageBox>(QStringLiteral("ConflictsBox"), QMessageBox::Information,
                         QStringLiteral("Conflicts of %1").arg(toQString(grid.text(row, 1))),
                         toQString(summary), QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setDetailedText(files.join(QLatin1Char('\n')));
  box->open();
}

void WorldSettingsPage::pickArchive() {
  if (runner_.busy()) return;
  QString start = archiveDir_;
  if (start.isEmpty()) {
    // Where browsers put what they download, when the player has such a folder.
    start = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (!QFileInfo(start).isDir()) start = QDir::homePath();
  }
  auto* picker = named<QFileDialog>(QStringLiteral("AddModPicker"), this,
                                    QStringLiteral("Add a mod from its archive"), start);
  picker->setFileMode(QFileDialog::ExistingFile);
  // Linux file systems tell letter case apart; archives come named in either.
  picker->setNameFilters(
      {QStringLiteral("Mod archives (*.zip *.7z *.rar *.tar *.tar.gz *.tgz *.tar.xz *.txz "
                      "*.tar.bz2 *.tbz2 *.ZIP *.7Z *.RAR *.TAR *.TAR.GZ *.TGZ)"),
       QStringLiteral("All files (*)")});
  picker->setAttribute(Qt::WA_DeleteOnClose);
  connect(picker, &QFileDialog::fileSelected, this, [this](const QString& file) {
    archiveDir_ = QFileInfo(file).absolutePath();
    // The next dialog opens once the picker has gone.
    QMetaObject::invokeMethod(
        this, [this, file] { addModFrom(file); }, Qt::QueuedConnection);
  });
  connect(picker, &QDialog::rejected, this,
          [this] { say(QStringLiteral("No archive was chosen, so nothing was installed.")); });
  picker->open();
}

void WorldSettingsPage::addDropped(const QStringList& paths) {
  if (runner_.busy()) return;
  if (paths.size() != 1) {
    say(QStringLiteral("Drop one archive or folder at a time; %1 were dropped.").arg(paths.size()));
    return;
  }
  // The file manager waits until the drop is taken; the reading and the dialog come after.
  QMetaObject::invokeMethod(
      this, [this, path = paths.front()] { addModFrom(path); }, Qt::QueuedConnection);
}

// Reads the source once and lets the player choose; a source that cannot be installed under
// any name is refused at once.
void WorldSettingsPage::addModFrom(const QString& path) {
  const std::filesystem::path source = QFileInfo(path).filesystemAbsoluteFilePath();
  const QString shown = pathToQString(source.filename());
  kvo::SourceDirectory directory;
  kvo::InstallProposal proposal;
  const bool ran = runner_.run([&] {
    kvo::FileProgress reading(state_, shell_, 1);
    reading.step("Please wait- reading " + kvo::pathToText(source.filename()), 0);
    directory = kvo::readSourceDirectory(state_, source);
    proposal = kvo::proposeInstall(state_, directory);
    if (proposal.refusal.empty()) return kvo::Outcome{};
    return kvo::Outcome::refused(kvo::installAction(source), proposal.refusal,
                                 kvo::Icon::Exclamation);
  });
  if (!ran) return;
  if (!proposal.refusal.empty()) {
    // The box names the reason; the status line keeps to the archive's name.
    say(QStringLiteral("Nothing was installed from %1.").arg(shown));
    return;
  }
  auto* dialog = new AddModDialog(state_, record_, std::move(directory), proposal, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog] {
    // Queued: the unpacking lets the window repaint, which would delete the closing dialog
    // while it still emits its signals.
    QMetaObject::invokeMethod(
        this, [this, plan = dialog->plan()] { installMod(plan); }, Qt::QueuedConnection);
  });
  connect(dialog, &QDialog::rejected, this,
          [this, shown] { say(QStringLiteral("Nothing was installed from %1.").arg(shown)); });
  dialog->open();
}

// The one place the window installs a mod: the core's install, its report, and the new row.
void WorldSettingsPage::installMod(const kvo::InstallPlan& plan) {
  bool installed = false;
  if (!runner_.run([&] {
        auto result = installer_.install(plan);
        installed = result.ok();
        return std::move(result.outcome);
      })) {
    return;
  }
  const bool folderCame = std::any_of(
      plan.targets.begin(), plan.targets.end(),
      [](const kvo::InstallTarget& target) { return target.kind == kvo::TargetKind::ModFolder; });
  if (installed && folderCame) showNewFolderRow();
}

void WorldSettingsPage::say(const QString& text) {
  runner_.status(toStdString(text));
}

// The new folder's row is where the player looks next: shown, scrolled to and in the
// keyboard's hands, ready for Enter to load it.
void WorldSettingsPage::showNewFolderRow() {
  const kvo::Grid& grid = state_.Unigrid;
  const QString name = toQString(grid.text(grid.row, 1));
  if (!name.contains(folderFilter_->text(), Qt::CaseInsensitive)) folderFilter_->clear();
  // The name filter may have moved the current row off the new one before it was cleared.
  unigrid_->refresh();
  unigrid_->scrollTo(unigrid_->currentIndex());
  unigrid_->setFocus(Qt::OtherFocusReason);
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
  // After a change the row under the pointer may replace and overwrite other files than
  // before; the preview must not show the old state.
  if (!runner_.busy()) engine_.previewAgain();
  showPreview();
}

}  // namespace kvo::ui
