#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>

#include "ui/game_dir_picker.h"

namespace fs = std::filesystem;

class GameDirPickerTest final : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void cancelTouchesNothing();
  void aGameFolderIsTakenAndProposedNextTime();
  void aFolderWithoutTheGameWarnsAndCanBePickedAgainOrKept();
  void theHomeFolderIsNeverTaken();

 private:
  using Step = std::function<void(QWidget*)>;
  // Answers the modal dialogs that open from now on, one step per dialog, in order.
  void answerDialogs(std::deque<Step> steps);
  static Step choose(const QString& folder, QString* proposed = nullptr);
  static Step cancel(QString* proposed);
  // An empty `button` presses the box's only button.
  static Step pressInWarning(const QString& button, QString* text = nullptr);
  QString makeFolder(const QString& name, bool withGame);

  std::unique_ptr<QTemporaryDir> dir_;
  QByteArray savedHome_;
  std::deque<Step> steps_;
  QPointer<QWidget> answered_;
  QTimer poll_;
};

void GameDirPickerTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  savedHome_ = qgetenv("HOME");
  QDir(dir_->path()).mkpath(QStringLiteral("home"));
  qputenv("HOME", QFile::encodeName(dir_->filePath(QStringLiteral("home"))));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     dir_->filePath(QStringLiteral("settings")));
  connect(&poll_, &QTimer::timeout, this, [this] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == answered_ || steps_.empty()) return;
    answered_ = modal;
    const Step step = std::move(steps_.front());
    steps_.pop_front();
    step(modal);
  });
}

void GameDirPickerTest::cleanup() {
  poll_.stop();
  poll_.disconnect();
  QVERIFY2(steps_.empty(), "a dialog that the test expected did not open");
  qputenv("HOME", savedHome_);
  dir_.reset();
}

void GameDirPickerTest::answerDialogs(std::deque<Step> steps) {
  steps_ = std::move(steps);
  poll_.start(10);
}

GameDirPickerTest::Step GameDirPickerTest::choose(const QString& folder, QString* proposed) {
  return [folder, proposed](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    QVERIFY(dialog);
    if (proposed) *proposed = dialog->directory().absolutePath();
    dialog->setDirectory(folder);
    QMetaObject::invokeMethod(dialog, "accept");
  };
}

GameDirPickerTest::Step GameDirPickerTest::cancel(QString* proposed) {
  return [proposed](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    QVERIFY(dialog);
    *proposed = dialog->directory().absolutePath();
    dialog->reject();
  };
}

GameDirPickerTest::Step GameDirPickerTest::pressInWarning(const QString& button, QString* text) {
  return [button, text](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    QVERIFY(box);
    if (text) *text = box->text();
    if (button.isEmpty()) {
      QCOMPARE(box->buttons().size(), 1);
      return box->buttons().front()->click();
    }
    for (QAbstractButton* candidate : box->buttons()) {
      if (candidate->text() == button) return candidate->click();
    }
    box->reject();
    QFAIL(qPrintable(QStringLiteral("no button \"%1\" in: %2").arg(button, box->text())));
  };
}

QString GameDirPickerTest::makeFolder(const QString& name, bool withGame) {
  const QString path = dir_->filePath(name);
  QDir().mkpath(path);
  if (withGame) {
    QFile exe(path + QStringLiteral("/EAW.EXE"));
    exe.open(QIODevice::WriteOnly);
  }
  return path;
}

void GameDirPickerTest::cancelTouchesNothing() {
  QString proposed;
  answerDialogs({cancel(&proposed)});
  QCOMPARE(kvo::ui::askForGameDir(), std::nullopt);
  QCOMPARE(proposed, QDir::homePath());
  QCOMPARE(QDir(QDir::homePath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
           QStringList());
  QVERIFY(!QFileInfo::exists(dir_->filePath(QStringLiteral("settings/kvo/kvo.conf"))));
}

void GameDirPickerTest::aGameFolderIsTakenAndProposedNextTime() {
  const QString game = makeFolder(QStringLiteral("Games/EAW"), true);
  answerDialogs({choose(game)});
  QCOMPARE(kvo::ui::askForGameDir(), std::optional<fs::path>(fs::path(game.toStdString())));

  QString proposed;
  answerDialogs({choose(game, &proposed)});
  QVERIFY(kvo::ui::askForGameDir());
  QCOMPARE(proposed, game);
}

void GameDirPickerTest::aFolderWithoutTheGameWarnsAndCanBePickedAgainOrKept() {
  const QString empty = makeFolder(QStringLiteral("Downloads"), false);
  const QString game = makeFolder(QStringLiteral("EAW"), true);
  QString warning;
  QString proposedAgain;
  answerDialogs({choose(empty), pressInWarning(QStringLiteral("Pick another folder"), &warning),
                 choose(game, &proposedAgain)});
  QCOMPARE(kvo::ui::askForGameDir(), std::optional<fs::path>(fs::path(game.toStdString())));
  QVERIFY2(warning.contains(QStringLiteral("no eaw.exe")) && warning.contains(empty),
           qPrintable(warning));
  QCOMPARE(proposedAgain, empty);

  answerDialogs({choose(empty), pressInWarning(QStringLiteral("Use this folder"))});
  QCOMPARE(kvo::ui::askForGameDir(), std::optional<fs::path>(fs::path(empty.toStdString())));
}

void GameDirPickerTest::theHomeFolderIsNeverTaken() {
  const QString game = makeFolder(QStringLiteral("EAW"), true);
  QString warning;
  answerDialogs({choose(QDir::homePath()), pressInWarning(QString(), &warning), choose(game)});
  QCOMPARE(kvo::ui::askForGameDir(), std::optional<fs::path>(fs::path(game.toStdString())));
  QVERIFY2(warning.contains(QStringLiteral("home folder")), qPrintable(warning));
}

QTEST_MAIN(GameDirPickerTest)
#include "game_dir_picker_test.moc"
