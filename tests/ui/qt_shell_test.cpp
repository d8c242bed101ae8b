#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "ui/qt_shell.h"

namespace fs = std::filesystem;

class QtShellTest final : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void messageAndQuestionShowTitleTextAndIconModally();
  void captionAndProgressShowInTheWindow();
  void startsAProgramDetachedInItsFolder();

 private:
  // Records the message box that the next modal call opens, then presses `button`.
  void answerNextBox(QMessageBox::StandardButton button);
  QString writeScript(const QString& name, const QString& body);

  QTemporaryDir dir_;
  QString seenTitle_;
  QString seenText_;
  QMessageBox::Icon seenIcon_ = QMessageBox::NoIcon;
};

void QtShellTest::init() {
  QVERIFY(dir_.isValid());
  seenTitle_.clear();
  seenText_.clear();
}

void QtShellTest::answerNextBox(QMessageBox::StandardButton button) {
  QTimer::singleShot(0, this, [this, button] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    QVERIFY(box);
    seenTitle_ = box->windowTitle();
    seenText_ = box->text();
    seenIcon_ = box->icon();
    box->button(button)->click();
  });
}

QString QtShellTest::writeScript(const QString& name, const QString& body) {
  const QString path = dir_.filePath(name);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return {};
  file.write(("#!/bin/sh\n" + body + "\n").toUtf8());
  file.close();
  file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return path;
}

void QtShellTest::messageAndQuestionShowTitleTextAndIconModally() {
  kvo::ui::QtShell shell;
  answerNextBox(QMessageBox::Ok);
  shell.message("We know you would love our software", kvo::Icon::Exclamation,
                "Hang On...........");
  QCOMPARE(seenTitle_, QStringLiteral("Hang On..........."));
  QCOMPARE(seenText_, QStringLiteral("We know you would love our software"));
  QCOMPARE(seenIcon_, QMessageBox::Warning);
  answerNextBox(QMessageBox::Yes);
  QVERIFY(shell.ask("Overwrite?", "KVO"));
  QCOMPARE(seenIcon_, QMessageBox::Question);
  answerNextBox(QMessageBox::No);
  QVERIFY(!shell.ask("Overwrite?", "KVO"));
}

void QtShellTest::captionAndProgressShowInTheWindow() {
  kvo::ui::QtShell shell;
  // A caption set before the window exists is not lost.
  shell.setCaption("Please wait... cleaning up");
  QMainWindow window;
  shell.attach(window);
  QCOMPARE(window.windowTitle(), QStringLiteral("Please wait... cleaning up"));
  shell.setCaption("KVO");
  QCOMPARE(window.windowTitle(), QStringLiteral("KVO"));
  window.show();
  auto* bar = window.findChild<QProgressBar*>();
  QVERIFY(bar);
  QVERIFY(!bar->isVisible());
  shell.progress(3, 10);
  QVERIFY(bar->isVisible());
  QCOMPARE(bar->value(), 3);
  QCOMPARE(bar->maximum(), 10);
  shell.progress(0, 0);
  QVERIFY(!bar->isVisible());
}

void QtShellTest::startsAProgramDetachedInItsFolder() {
  const QString script = writeScript(QStringLiteral("game.sh"), QStringLiteral("pwd > ran.txt"));
  QVERIFY(!script.isEmpty());
  QTemporaryDir elsewhere;
  kvo::ui::QtShell shell;
  std::string error;
  QVERIFY(shell.startProgram(fs::path(script.toStdString()),
                             fs::path(elsewhere.path().toStdString()), error));
  QVERIFY(error.empty());
  QFile ran(elsewhere.filePath(QStringLiteral("ran.txt")));
  QTRY_VERIFY(ran.exists() && ran.size() > 0);
  QVERIFY(ran.open(QIODevice::ReadOnly));
  QCOMPARE(QString::fromUtf8(ran.readAll()).trimmed(), QDir(elsewhere.path()).canonicalPath());
}

QTEST_MAIN(QtShellTest)
#include "qt_shell_test.moc"
