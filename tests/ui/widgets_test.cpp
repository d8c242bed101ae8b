#include <QtTest>
#include <QtWidgets>
#include <filesystem>

#include "state/grid.h"
#include "ui/game_dir_picker.h"
#include "ui/grid_view.h"
#include "ui/qt_shell.h"

namespace fs = std::filesystem;
using kvo::ui::GridView;

namespace {

// A folder grid as the core builds it: path, name, loaded mark, with a header row.
kvo::Grid folderGrid() {
  kvo::Grid grid(1, 3);
  grid.setText(0, 1, "All folders are available");
  grid.addRow("C:\\EAW\\KVO128\\T-Normandy\tT-Normandy");
  grid.addRow("C:\\EAW\\KVO128\\T-Burma\tT-Burma\tS");
  grid.addRow("C:\\EAW\\KVO128\\G-Water\tG-Water");
  grid.setColWidth(0, 0);
  grid.setColWidth(1, 5000);
  grid.setColWidth(2, 240);
  return grid;
}

}  // namespace

// The parts of the window that work without a game folder: the grids, the shell's message
// boxes and the game folder picker.
class WidgetsTest final : public QObject {
  Q_OBJECT

 private:
  // Answers the modal dialogs that open from now on, in order: a file dialog by picking the
  // folder named (none: cancel), a message box by pressing the button so captioned. seen_
  // gets the folder each file dialog proposed and each box's "icon|title|text|buttons".
  void answer(const QStringList& answers) {
    answers_ = answers;
    seen_.clear();
    poll_.start(10);
  }
  void answerModal(QWidget* modal, const QString& reply) {
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      seen_ << dialog->directory().absolutePath();
      if (reply.isEmpty()) return dialog->reject();
      dialog->setDirectory(reply);
      QMetaObject::invokeMethod(dialog, "accept");
      return;
    }
    auto* box = qobject_cast<QMessageBox*>(modal);
    QVERIFY(box);
    QStringList buttons;
    for (QAbstractButton* button : box->buttons()) buttons << button->text().remove('&');
    seen_ << QStringLiteral("%1|%2|%3|%4")
                 .arg(QString::number(box->icon()), box->windowTitle(), box->text(),
                      buttons.join(','));
    const qsizetype at = buttons.indexOf(reply);
    return at >= 0 ? box->buttons().at(at)->click() : box->reject();
  }
  QString makeFolder(const QString& name, bool withGame) {
    const QString path = dir_.filePath(name);
    QDir().mkpath(path);
    if (withGame) QFile(path + QStringLiteral("/EAW.EXE")).open(QIODevice::WriteOnly);
    return path;
  }
  std::optional<fs::path> picked(const QString& folder) { return fs::path(folder.toStdString()); }

  QTemporaryDir dir_;
  QStringList answers_;
  QStringList seen_;
  QPointer<QWidget> answered_;
  QTimer poll_;

 private slots:
  // The player's home folder and settings are the test's own.
  void initTestCase() {
    QVERIFY(dir_.isValid());
    QDir(dir_.path()).mkpath(QStringLiteral("home"));
    qputenv("HOME", QFile::encodeName(dir_.filePath(QStringLiteral("home"))));
    // The selector's own settings in a file on every system: Windows would keep them in the
    // registry, out of the test's reach. Qt's file dialog keeps its own in the native place.
    QSettings::setDefaultFormat(QSettings::IniFormat);
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
      QSettings::setPath(format, QSettings::UserScope, dir_.filePath(QStringLiteral("settings")));
    }
    connect(&poll_, &QTimer::timeout, this, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || modal == answered_ || answers_.empty()) return;
      answered_ = modal;
      answerModal(modal, answers_.takeFirst());
    });
  }

  void cleanup() {
    poll_.stop();
    const bool allOpened = answers_.empty();
    answers_.clear();
    QVERIFY2(allOpened, "a dialog that the test expected did not open");
  }

  // 0x00BBGGRR: the low byte is red. The grid's own background and system colours are left
  // to the view's palette.
  void theViewShowsTheGridsCaptionAndColoursAndReportsOnlyThePlayersMoves() {
    kvo::Grid grid = folderGrid();
    grid.setBack(2, 1, kvo::kLoadedGreen);
    grid.setBack(1, 1, kvo::kLoadedSkin);
    grid.setBack(3, 1, kvo::kWindowBackground);
    GridView view(grid, QStringLiteral("Unigrid"));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QAbstractItemModel& model = *view.model();
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(),
             QStringLiteral("All folders are available"));
    QCOMPARE(model.index(0, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(0xFF, 0xE0, 0xC0));
    QVERIFY(!model.index(2, 1).data(Qt::BackgroundRole).isValid());
    QVERIFY(!model.index(0, 0).data(Qt::BackgroundRole).isValid());

    // The current cell moves by key without acting on it; a current cell the core sets is no
    // move of the player's. Model row 2 is grid row 3: the header row is not a model row.
    QSignalSpy moves(&view, &GridView::currentMovedByKey);
    view.setCurrentIndex(model.index(1, 1));
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_Down);
    grid.row = 1;
    view.refresh();
    QCOMPARE(view.currentIndex().row(), 0);
    QCOMPARE(moves, (QList<QVariantList>{{3, 1}}));
  }

  void columnsFitTheirTextAtAnyFontAndFollowTheGridAndACutNameHasATooltip() {
    kvo::Grid grid = folderGrid();
    grid.setText(2, 2, "");
    GridView view(grid, QStringLiteral("SK1"));
    view.resize(400, 200);  // the name column has room to spare
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(view.isColumnHidden(0));
    // The name takes the room the mark leaves; nothing runs off to the right.
    QCOMPARE(view.columnWidth(1) + view.columnWidth(2), view.viewport()->width());
    // The first load leaves the width alone, a code wider than a mark widens its column, and
    // a filter that hides the code's row does not narrow it again.
    const int markWidth = view.columnWidth(2);
    grid.setText(2, 2, "S");
    view.refresh();
    QCOMPARE(view.columnWidth(2), markWidth);
    grid.setText(1, 2, "109G");
    view.refresh();
    const int codeWidth = view.columnWidth(2);
    QVERIFY(codeWidth > markWidth);
    grid.setRowHeight(1, 0);
    view.refresh();
    QVERIFY(view.isRowHidden(0));
    QCOMPARE(view.columnWidth(2), codeWidth);

    // A font three times the size widens the column and the rows with it.
    QFont big = view.font();
    big.setPointSizeF(big.pointSizeF() * 3);
    view.setFont(big);
    QVERIFY(view.columnWidth(2) > 2 * codeWidth);
    QVERIFY(view.rowHeight(1) >= QFontMetrics(big).height());
    grid.setColWidth(2, 0);
    view.refresh();
    QVERIFY(view.isColumnHidden(2));

    // A name shown whole needs no tooltip; a cut one shows whole in it.
    const QString longName = QStringLiteral("T-Normandy 1944 from Cherbourg to Le Havre");
    grid.setText(3, 1, longName.toStdString());
    view.refresh();
    const auto tipAt = [&](int row) {
      const QPoint at = view.visualRect(view.model()->index(row, 1)).center();
      QHelpEvent help(QEvent::ToolTip, at, view.viewport()->mapToGlobal(at));
      QCoreApplication::sendEvent(view.viewport(), &help);
    };
    tipAt(1);
    QCoreApplication::processEvents();
    QVERIFY(!QToolTip::isVisible());
    tipAt(2);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), longName);
  }

  void shellShowsBoxesCaptionAndProgress() {
    kvo::ui::QtShell shell;
    answer({QStringLiteral("OK"), QStringLiteral("Yes"), QStringLiteral("No")});
    shell.message("The disk is full", kvo::Icon::Exclamation, "Hang On");
    QVERIFY(shell.ask("Overwrite?", "KVO"));
    QVERIFY(!shell.ask("Overwrite?", "KVO"));
    const QString question = QStringLiteral("%1|KVO|Overwrite?|Yes,No").arg(QMessageBox::Question);
    const QString warning =
        QStringLiteral("%1|Hang On|The disk is full|OK").arg(QMessageBox::Warning);
    QCOMPARE(seen_, (QStringList{warning, question, question}));

    // A caption set before the window exists is not lost.
    shell.setCaption("Please wait... cleaning up");
    QMainWindow window;
    shell.attach(window);
    QCOMPARE(window.windowTitle(), QStringLiteral("Please wait... cleaning up"));
    shell.setCaption("KVO");
    QCOMPARE(window.windowTitle(), QStringLiteral("KVO"));
    window.show();
    auto* bar = window.findChild<QProgressBar*>();
    QVERIFY(bar && !bar->isVisible());
    shell.progress(3, 10);
    QCOMPARE(bar->isVisible() ? bar->text() : QString(), QStringLiteral("30%"));
    shell.progress(0, 0);
    QVERIFY(!bar->isVisible());
  }

  // A cancel touches nothing. The home folder is never taken; another folder without the
  // game only when the player says so. The folder picked last is proposed next time.
  void pickerRefusesHomeWarnsWithoutTheGameAndProposesTheLastPick() {
    // Windows takes the home folder from the user's account, not from HOME: the real one.
    const auto homeEntries = [] {
      return QDir(QDir::homePath())
          .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    };
    const QStringList homeBefore = homeEntries();
    answer({QString()});
    QCOMPARE(kvo::ui::askForGameDir(), std::nullopt);
    QCOMPARE(seen_, QStringList{QDir::homePath()});
    QCOMPARE(homeEntries(), homeBefore);
    QVERIFY(!QFileInfo::exists(QSettings(QStringLiteral("kvo"), QStringLiteral("kvo")).fileName()));

    const QString empty = makeFolder(QStringLiteral("Downloads"), false);
    const QString game = makeFolder(QStringLiteral("Games/EAW"), true);
    const QString again = QStringLiteral("Pick another folder");
    answer({QDir::homePath(), again, empty, again, game});
    QCOMPARE(kvo::ui::askForGameDir(), picked(game));
    QCOMPARE(seen_.size(), 5);
    QVERIFY2(seen_[1].contains(QStringLiteral("Your home folder cannot be the game folder")) &&
                 seen_[1].endsWith(QStringLiteral("|Pick another folder")),
             qPrintable(seen_[1]));
    QVERIFY2(seen_[3].contains(QStringLiteral("There is no eaw.exe in ") + empty) &&
                 seen_[3].endsWith(QStringLiteral("|Pick another folder,Use this folder")),
             qPrintable(seen_[3]));
    QCOMPARE(seen_[4], empty);
    answer({QString()});
    QCOMPARE(kvo::ui::askForGameDir(), std::nullopt);
    QCOMPARE(seen_, QStringList{game});

    answer({empty, QStringLiteral("Use this folder")});
    QCOMPARE(kvo::ui::askForGameDir(), picked(empty));
  }
};

QTEST_MAIN(WidgetsTest)
#include "widgets_test.moc"
