#include "ui/general_settings_page.h"

#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QVBoxLayout>
#include <string_view>
#include <utility>

#include "app/game_settings.h"
#include "engine/keep_originals.h"
#include "state/form_state.h"
#include "state/game_folder.h"
#include "ui/core_runner.h"
#include "ui/history_dialog.h"
#include "ui/keyboard.h"
#include "ui/named.h"
#include "ui/picture_box.h"
#include "ui/view_sync.h"

namespace kvo::ui {

namespace {

// The viewer shows a file that is not UTF-8 as Latin-1 (see toQString); an edit has to go back
// the same way, or every accented character of the lines not touched would change its bytes.
bool shownAsLatin1([[maybe_unused]] std::string_view bytes) {
#ifdef _WIN32
  return false;  // the system code page goes both ways already
#else
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString decoded =
      utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  return utf8.hasError();
#endif
}

}  // namespace

GeneralSettingsPage::GeneralSettingsPage(kvo::FormState& state, kvo::GameSettings& settings,
                                         kvo::GameFolder& game, CoreRunner& runner, QWidget* parent)
    : QWidget(parent), state_(state), settings_(settings), game_(game), runner_(runner) {
  auto* layout = new QGridLayout(this);
  auto* dirRow = new QHBoxLayout;
  dirRow->addWidget(new QLabel(QStringLiteral("EAW directory:")));
  eawDirLabel_ = named<QLabel>(QStringLiteral("EAWDirLabel"));
  eawDirLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  dirRow->addWidget(eawDirLabel_, 1);
  image3_ = new PictureBox(QStringLiteral("Image3"));
  layout->addLayout(dirRow, 0, 0, 1, 2);
  layout->addWidget(buildSettingsFrame(), 1, 0);
  layout->addWidget(buildResolution(), 2, 0);
  layout->addWidget(image3_, 1, 1, 2, 1);
  auto* options = new QVBoxLayout;
  options->addWidget(buildKeepOriginals());
  options->addWidget(buildDeployByLink());
  layout->addLayout(options, 3, 0);
  layout->addWidget(buildHistoryButton(), 3, 1, Qt::AlignRight);
  layout->addWidget(buildIniViewer(), 4, 0, 1, 2);
  layout->setColumnStretch(1, 1);
  layout->setRowStretch(4, 1);
  refresh();
}

QWidget* GeneralSettingsPage::buildKeepOriginals() {
  keepOriginals_ = named<QCheckBox>(QStringLiteral("KeepOriginals"),
                                    QStringLiteral("Keep the game's own files when a folder "
                                                   "replaces them"));
  connect(keepOriginals_, &QCheckBox::clicked, this, [this](bool checked) {
    runner_.run([this, checked] { return kvo::setKeepOriginals(state_, game_, checked); });
    refresh();
  });
  return keepOriginals_;
}

QWidget* GeneralSettingsPage::buildDeployByLink() {
  deployByLink_ = named<QCheckBox>(QStringLiteral("DeployBy"),
                                   QStringLiteral("Link files instead of copying them (faster, no "
                                                  "extra disk space; the game must not change "
                                                  "loaded files)"));
  connect(deployByLink_, &QCheckBox::clicked, this, [this](bool checked) {
    runner_.run([this, checked] { return kvo::setDeployByLink(state_, game_, checked); });
    refresh();
  });
  return deployByLink_;
}

// Closing takes the focus out of a settings box, which must not report into a page that is
// half gone.
GeneralSettingsPage::~GeneralSettingsPage() {
  for (const SettingBox& box : boxes_) disconnect(box.edit, nullptr, this, nullptr);
}

QWidget* GeneralSettingsPage::buildHistoryButton() {
  auto* button = named<QPushButton>(QStringLiteral("History"), QStringLiteral("History"));
  button->setToolTip(QStringLiteral("What each change of the game folder did"));
  connect(button, &QPushButton::clicked, this, &GeneralSettingsPage::showHistory);
  return button;
}

void GeneralSettingsPage::showHistory() {
  auto* dialog = new HistoryDialog(state_, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
}

QWidget* GeneralSettingsPage::buildSettingsFrame() {
  auto* frame = new QGroupBox(QStringLiteral("User settings"));
  auto* layout = new QVBoxLayout(frame);
  layout->addWidget(
      new QLabel(QStringLiteral("Current settings:  Press \"Enter\" after changing any value")));
  auto* form = new QFormLayout;
  using Boxes = kvo::SettingsBoxes;
  form->addRow(QStringLiteral("Width"), addSetting(QStringLiteral("Text5"), &Boxes::text5));
  form->addRow(QStringLiteral("Height"), addSetting(QStringLiteral("Text6"), &Boxes::text6));
  form->addRow(QStringLiteral("Extra Squads"), addSetting(QStringLiteral("Text4"), &Boxes::text4));
  form->addRow(QStringLiteral("Day"), addSetting(QStringLiteral("Text7"), &Boxes::text7));
  form->addRow(QStringLiteral("Month"), addSetting(QStringLiteral("Text88"), &Boxes::text88));
  form->addRow(QStringLiteral("Planeset"), addSetting(QStringLiteral("Text11"), &Boxes::text11));
  layout->addLayout(form);
  return frame;
}

QLineEdit* GeneralSettingsPage::addSetting(const QString& name, SettingField field) {
  auto* edit = named<QLineEdit>(name);
  edit->setMaximumWidth(120);
  edit->setToolTip(QStringLiteral("Enter in any of the six boxes writes all six to eaw.ini."));
  boxes_.push_back(SettingBox{edit, field});
  // The typed text is the pending value that a save writes, exactly as typed; the state keeps
  // it so that the box shows it until then.
  connect(edit, &QLineEdit::textEdited, this,
          [this, field](const QString& text) { state_.settings.*field = toStdString(text); });
  connect(edit, &QLineEdit::returnPressed, this, &GeneralSettingsPage::save);
  // Enter fires this too, after its save: that save's report, a refusal included, stands.
  connect(edit, &QLineEdit::editingFinished, this, [this] {
    if (std::exchange(enterPressed_, false)) return;
    runner_.status(settings_.unsavedSettings(typed()));
  });
  return edit;
}

kvo::SettingsBoxes GeneralSettingsPage::typed() const {
  kvo::SettingsBoxes boxes;
  for (const SettingBox& box : boxes_) boxes.*box.field = toStdString(box.edit->text());
  return boxes;
}

void GeneralSettingsPage::save() {
  enterPressed_ = true;
  runner_.run([this] { return settings_.inisave(typed()); });
}

QWidget* GeneralSettingsPage::buildResolution() {
  auto* box = new QWidget;
  auto* layout = new QHBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(QStringLiteral("User's PC natural resolution:")));
  for (std::size_t i = 0; i < label18_.size(); ++i) {
    label18_[i] = named<QLabel>(QStringLiteral("Label18_%1").arg(i));
    if (i == 1) layout->addWidget(new QLabel(QStringLiteral("x")));
    layout->addWidget(label18_[i]);
  }
  layout->addStretch(1);
  return box;
}

QWidget* GeneralSettingsPage::buildIniViewer() {
  auto* box = new QWidget;
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* iniEdit =
      named<QPushButton>(QStringLiteral("IniEdit"),
                         QStringLiteral("Display \"eaw.ini' for inspection or further editing"));
  frame21_ = named<QGroupBox>(QStringLiteral("Frame21"), QStringLiteral("Click to hide"));
  frame21_->installEventFilter(this);
  // Tab stops on the frame's caption, where Enter and Space hide it as a click does.
  frame21_->setFocusPolicy(Qt::StrongFocus);
  auto* frameLayout = new QVBoxLayout(frame21_);
  text14_ = named<QPlainTextEdit>(QStringLiteral("Text14"));
  text14_->setTabChangesFocus(true);
  frameLayout->addWidget(text14_, 1);
  auto* inSaver =
      named<QPushButton>(QStringLiteral("InSaver"), QStringLiteral("Save ini in EAW Directory"));
  frameLayout->addWidget(inSaver);
  connect(iniEdit, &QPushButton::clicked, this,
          [this] { runner_.run([this] { return settings_.IniEdit_Click(); }); });
  connect(inSaver, &QPushButton::clicked, this,
          [this] { runner_.run([this] { return settings_.InSaver_Click(state_.Text14); }); });
  layout->addWidget(iniEdit, 0, Qt::AlignLeft);
  layout->addWidget(frame21_, 1);
  // Keeps the button at the top while the viewer is hidden.
  layout->addStretch(0);
  connect(text14_, &QPlainTextEdit::textChanged, this, [this] {
    const QString typed = text14_->toPlainText();
    state_.Text14 = text14Latin1_ ? typed.toLatin1().toStdString() : toStdString(typed);
  });
  return box;
}

bool GeneralSettingsPage::eventFilter(QObject* watched, QEvent* event) {
  // A key that a control inside the frame leaves unused comes up to the frame too.
  const bool click = event->type() == QEvent::MouseButtonRelease ||
                     event->type() == QEvent::MouseButtonDblClick ||
                     (isPressKey(*event) && frame21_->hasFocus());
  if (watched == frame21_ && click) {
    runner_.show([this] { settings_.Frame21_Click(); });
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void GeneralSettingsPage::refresh() {
  const kvo::FormState& state = state_;
  showText(*eawDirLabel_, state.EAWDirLabel);
  for (std::size_t i = 0; i < label18_.size(); ++i) showText(*label18_[i], state.Label18[i]);
  for (const SettingBox& box : boxes_) showText(*box.edit, state.settings.*box.field);
  text14Latin1_ = shownAsLatin1(state.Text14);
  showText(*text14_, state.Text14);
  frame21_->setVisible(state.Frame21Visible);
  keepOriginals_->setChecked(state.KeepOriginals);
  deployByLink_->setChecked(state.DeployByLink);
  image3_->showPicture(state.Image3);
}

}  // namespace kvo::ui
