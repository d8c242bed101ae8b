#include "ui/autoscripts_page.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>
#include <string>

#include "app/launcher.h"
#include "scripts/autoscripts.h"
#include "scripts/music_sets.h"
#include "state/form_state.h"
#include "ui/clickable_label.h"
#include "ui/core_runner.h"
#include "ui/keyboard.h"
#include "ui/list_picks.h"
#include "ui/named.h"
#include "ui/view_sync.h"

namespace kvo::ui {

AutoscriptsPage::AutoscriptsPage(kvo::FormState& state, kvo::Autoscripts& scripts,
                                 kvo::Launcher& launcher, kvo::MusicSets& music, CoreRunner& runner,
                                 QWidget* parent)
    : QWidget(parent),
      state_(state),
      scripts_(scripts),
      launcher_(launcher),
      music_(music),
      runner_(runner) {
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(buildSaveFrame(), 3);
  layout->addWidget(buildRunFrame(), 3);
  auto* right = new QVBoxLayout;
  right->addWidget(buildLaunchBox(), 3);
  right->addWidget(buildMusicBox(), 2);
  layout->addLayout(right, 2);
  connectHandlers();
  refresh();
}

QWidget* AutoscriptsPage::buildSaveFrame() {
  auto* frame8 = named<QGroupBox>(QStringLiteral("Frame8"), QStringLiteral("Save your AutoScript"));
  auto* layout = new QVBoxLayout(frame8);
  text2_ = named<QPlainTextEdit>(QStringLiteral("Text2"));
  text2_->setTabChangesFocus(true);
  layout->addWidget(text2_, 1);
  text1_ = named<QLineEdit>(QStringLiteral("Text1"), QStringLiteral("Enter the filename"));
  // The box opens with a prompt, not a name: a name typed into it replaces the prompt.
  selectWholeOnFocus(*text1_);
  layout->addWidget(text1_);
  command7_ = named<QPushButton>(QStringLiteral("Command7"), QStringLiteral("Save Autoscript"));
  layout->addWidget(command7_);
  layout->addWidget(buildOverwritePrompt());
  return frame8;
}

QFrame* AutoscriptsPage::buildOverwritePrompt() {
  setWarn_ = named<QFrame>(QStringLiteral("SetWarn"));
  setWarn_->setFrameShape(QFrame::Box);
  auto* layout = new QVBoxLayout(setWarn_);
  layout->addWidget(named<QLabel>(QStringLiteral("Label21"),
                                  QStringLiteral("There is already an autoscript with this name")));
  auto* choices = new QHBoxLayout;
  const std::array<const char*, 2> captions = {"Overwrite", "Cancel"};
  for (int i = 0; i < static_cast<int>(captions.size()); ++i) {
    auto* label = new ClickableLabel(QString::fromLatin1(captions[static_cast<std::size_t>(i)]),
                                     QStringLiteral("Label4_%1").arg(i));
    connect(label, &ClickableLabel::clicked, this, [this, i] { answerPrompt(i); });
    choices->addWidget(label);
  }
  layout->addLayout(choices);
  setWarn_->hide();
  return setWarn_;
}

QWidget* AutoscriptsPage::buildRunFrame() {
  auto* frame3 = named<QGroupBox>(QStringLiteral("Frame3"),
                                  QStringLiteral("Click on the script you want to run"));
  auto* layout = new QVBoxLayout(frame3);
  file10_ = named<QListWidget>(QStringLiteral("File10"));
  layout->addWidget(file10_, 1);
  layout->addWidget(
      named<QLabel>(QStringLiteral("Label13"), QStringLiteral("Contents of selected Autoscript:")));
  list2_ = named<QListWidget>(QStringLiteral("List2"));
  layout->addWidget(list2_, 1);
  // What replaying the script would change, from the same plan the replay makes.
  scriptPlan_ = named<QLabel>(QStringLiteral("ScriptPlan"));
  scriptPlan_->setWordWrap(true);
  scriptPlan_->setTextFormat(Qt::PlainText);
  layout->addWidget(scriptPlan_);
  command6_ = named<QPushButton>(QStringLiteral("Command6"), QStringLiteral("OK load it!"));
  layout->addWidget(command6_);
  return frame3;
}

QWidget* AutoscriptsPage::buildLaunchBox() {
  auto* box = new QGroupBox(QStringLiteral("Program launch"));
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(
      named<QLabel>(QStringLiteral("Label24"), QStringLiteral("Select an exe to launch: ")));
  list6_ = named<QListWidget>(QStringLiteral("List6"));
  layout->addWidget(list6_, 1);
  const std::array<const char*, 3> captions = {"Just Launch", "Minimise KVO and launch",
                                               "Exit KVO and launch"};
  for (int i = 0; i < static_cast<int>(captions.size()); ++i) {
    auto* label = new ClickableLabel(QString::fromLatin1(captions[static_cast<std::size_t>(i)]),
                                     QStringLiteral("Label28_%1").arg(i));
    connect(label, &ClickableLabel::clicked, this, [this, i] {
      const auto exe = state_.List6.selectedText();
      runner_.run([this, i, exe] { return launcher_.Label28_Click(i, exe); });
    });
    layout->addWidget(label);
  }
  return box;
}

QWidget* AutoscriptsPage::buildMusicBox() {
  auto* box = new QGroupBox(QStringLiteral("Music sets"));
  auto* layout = new QVBoxLayout(box);
  auto* current = new QHBoxLayout;
  current->addWidget(named<QLabel>(QStringLiteral("Label15"), QStringLiteral("Current Music")));
  label11_ = named<QLabel>(QStringLiteral("Label11"));
  label11_->setFrameShape(QFrame::Panel);
  current->addWidget(label11_, 1);
  list4_ = named<QListWidget>(QStringLiteral("List4"));
  pressItemsByKeys(*list4_);
  layout->addLayout(current);
  layout->addWidget(list4_, 1);
  return box;
}

void AutoscriptsPage::connectHandlers() {
  connect(text2_, &QPlainTextEdit::textChanged, this, [this] { state_.Text2 = scriptText(); });
  connect(command7_, &QPushButton::clicked, this, [this] {
    const auto name = toStdString(text1_->text());
    const auto text = scriptText();
    runner_.run([this, name, text] { return scripts_.SaveAutoscript(name, text, false); });
  });
  // Read again on every click: the file may have changed since the last look.
  new ListPicks(*file10_, [this](int row) {
    state_.File10.index = row;
    const auto file = state_.File10.selectedText();
    runner_.run([this, file] { return scripts_.PreviewAutoscript(file); });
  });
  connect(command6_, &QPushButton::clicked, this, [this] {
    const auto file = state_.File10.selectedText();
    runner_.run([this, file] { return scripts_.RunAutoscriptFile(file); });
  });
  // A click, not a change of the current row: every switch renames folders.
  connect(list4_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    state_.List4.index = list4_->row(item);
    const auto set = state_.List4.selectedText();
    runner_.run([this, set] { return music_.SwitchMusicSet(set); });
  });
  // Only a selected program counts: focus alone makes the first row current without
  // selecting it, and the launch labels must then do nothing.
  connect(list6_, &QListWidget::itemSelectionChanged, this, [this] {
    const QList<QListWidgetItem*> selected = list6_->selectedItems();
    state_.List6.index = selected.isEmpty() ? -1 : list6_->row(selected.front());
  });
}

void AutoscriptsPage::answerPrompt(int index) {
  const auto name = toStdString(text1_->text());
  const auto text = scriptText();
  runner_.run([this, index, name, text] { return scripts_.OverwritePrompt(index, name, text); });
}

// The box holds plain line feeds; the script and the record hold CR LF.
std::string AutoscriptsPage::scriptText() const {
  return toStdString(text2_->toPlainText().replace(u'\n', QStringLiteral("\r\n")));
}

void AutoscriptsPage::refresh() {
  const kvo::FormState& state = state_;
  std::string text2 = state.Text2;
  std::erase(text2, '\r');
  showText(*text2_, text2);
  setWarn_->setVisible(state.SetWarnVisible);
  showList(*file10_, state.File10);
  showList(*list2_, state.List2);
  showText(*scriptPlan_, state.ScriptPlan);
  showList(*list6_, state.List6);
  showList(*list4_, state.List4);
  showText(*label11_, state.Label11);
}

}  // namespace kvo::ui
