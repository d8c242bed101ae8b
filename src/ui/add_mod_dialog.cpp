#include "ui/add_mod_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "archive/install_preview.h"
#include "state/form_state.h"
#include "state/load_record.h"
#include "ui/focus_frame.h"
#include "ui/named.h"
#include "ui/view_sync.h"

namespace kvo::ui {

namespace {

// The text of the first entry when the source decides where its parts go by itself.
QString ownPlacesText(const kvo::InstallProposal& proposal, bool folder) {
  const auto& targets = proposal.targets;
  const bool scriptsOnly = std::all_of(
      targets.begin(), targets.end(),
      [](const kvo::LayoutTarget& target) { return target.kind == kvo::TargetKind::Autoscript; });
  if (scriptsOnly) return QStringLiteral("Autoscripts, into the Autoscripts folder");
  if (targets.size() == 1) return QStringLiteral("A skin, into the Skinfolder");
  return QStringLiteral("Each part where it belongs, as the %1 has them (%2 parts)")
      .arg(folder ? QStringLiteral("folder") : QStringLiteral("archive"))
      .arg(targets.size());
}

bool isOneModFolder(const kvo::InstallProposal& proposal) {
  return proposal.targets.size() == 1 &&
         proposal.targets.front().kind == kvo::TargetKind::ModFolder;
}

}  // namespace

AddModDialog::AddModDialog(const kvo::FormState& state, const kvo::LoadRecord& record,
                           kvo::SourceDirectory source, const kvo::InstallProposal& proposal,
                           QWidget* parent)
    : QDialog(parent), state_(state), record_(record), source_(std::move(source)) {
  setObjectName(QStringLiteral("AddModDialog"));
  setWindowTitle(QStringLiteral("Add mod"));
  auto* layout = new QVBoxLayout(this);
  auto* from = named<QLabel>(QStringLiteral("AddModSource"),
                             QStringLiteral("From %1").arg(pathToQString(source_.source)));
  from->setWordWrap(true);
  from->setTextFormat(Qt::PlainText);
  layout->addWidget(from);
  layout->addWidget(buildChoices());
  layout->addWidget(
      named<QLabel>(QStringLiteral("AddModPreviewLabel"), QStringLiteral("What will be created:")));
  preview_ = named<QPlainTextEdit>(QStringLiteral("AddModPreview"));
  preview_->setReadOnly(true);
  preview_->setTabChangesFocus(true);
  preview_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  layout->addWidget(preview_, 1);
  auto* buttons = new QDialogButtonBox;
  install_ = named<QPushButton>(QStringLiteral("AddModInstall"), QStringLiteral("Install"));
  auto* cancel = named<QPushButton>(QStringLiteral("AddModCancel"), QStringLiteral("Cancel"));
  buttons->addButton(install_, QDialogButtonBox::AcceptRole);
  buttons->addButton(cancel, QDialogButtonBox::RejectRole);
  install_->setDefault(true);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  fillCategories(proposal);
  propose(proposal);
  connect(category_, &QComboBox::currentIndexChanged, this, &AddModDialog::replan);
  connect(name_, &QLineEdit::textChanged, this, &AddModDialog::replan);
  connect(replace_, &QCheckBox::toggled, this, &AddModDialog::replan);
  replan();
  QWidget* const order[] = {category_, name_, replace_, preview_, install_, cancel};
  for (std::size_t i = 1; i < std::size(order); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
  // The category comes first: it is the one choice an archive of loose files leaves open.
  category_->setFocus(Qt::OtherFocusReason);
  new FocusFrame(*this);
  resize(fontMetrics().averageCharWidth() * 80, fontMetrics().height() * 22);
}

QWidget* AddModDialog::buildChoices() {
  auto* choices = new QWidget;
  auto* form = new QFormLayout(choices);
  form->setContentsMargins(0, 0, 0, 0);
  category_ = named<QComboBox>(QStringLiteral("AddModCategory"));
  category_->setPlaceholderText(QStringLiteral("Choose a category"));
  name_ = named<QLineEdit>(QStringLiteral("AddModName"));
  replace_ = named<QCheckBox>(QStringLiteral("AddModReplace"),
                              QStringLiteral("&Replace the folder of that name"));
  form->addRow(QStringLiteral("&Category:"), category_);
  form->addRow(QStringLiteral("&Name:"), name_);
  form->addRow(QString(), replace_);
  return choices;
}

// The categories of kvo.ini by description and code, after an entry for a source that places
// its parts by itself.
void AddModDialog::fillCategories(const kvo::InstallProposal& proposal) {
  if (!proposal.targets.empty() && !isOneModFolder(proposal)) {
    category_->addItem(ownPlacesText(proposal, source_.folder), QString());
  }
  const auto& st = state_;
  for (std::size_t i = 0; i < st.CategoryCodes.size(); ++i) {
    const auto& code = st.CategoryCodes[i];
    if (code.empty() || i + 2 >= st.List3.items.size()) continue;
    category_->addItem(
        QStringLiteral("%1 (%2)").arg(toQString(st.List3.items[i + 2]), toQString(code)),
        toQString(code));
  }
}

void AddModDialog::propose(const kvo::InstallProposal& proposal) {
  const auto& targets = proposal.targets;
  if (isOneModFolder(proposal)) {
    const auto& folder = targets.front().name;  // "T-Normandy"
    proposedCode_ = folder.substr(0, 1);
    proposedName_ = toQString(folder.substr(std::min<std::size_t>(2, folder.size())));
  } else if (targets.size() == 1 && targets.front().kind == kvo::TargetKind::SkinFolder) {
    proposedName_ = toQString(targets.front().name);
  } else if (targets.empty()) {
    proposedName_ = toQString(proposal.stem);  // loose files, named after the archive
  }
  namesFixed_ = !targets.empty() && proposedName_.isEmpty();
  // Unknown, the category waits for the player: the placeholder shows until one is chosen.
  category_->setCurrentIndex(targets.empty() ? -1 : category_->findData(toQString(proposedCode_)));
  name_->setText(proposedName_);
}

kvo::InstallRequest AddModDialog::request() const {
  kvo::InstallRequest asked;
  const std::string code = toStdString(category_->currentData().toString());
  const QString name = name_->text();
  asked.replace = replace_->isChecked();
  if (code == proposedCode_ && name == proposedName_) return asked;
  asked.category = code;
  asked.name = toStdString(name);
  return asked;
}

void AddModDialog::replan() {
  // A set's names are its own until a category makes one folder of it.
  name_->setEnabled(!namesFixed_ || !category_->currentData().toString().isEmpty());
  planning_ = kvo::planInstall(state_, record_, request(), source_);
  const QString text = previewText();
  if (preview_->toPlainText() != text) preview_->setPlainText(text);
  install_->setEnabled(planning_.ok());
}

QString AddModDialog::previewText() const {
  if (planning_.ok()) {
    QStringList lines;
    for (const auto& line : kvo::installPreview(planning_.plan)) lines << toQString(line);
    return lines.join(QLatin1Char('\n'));
  }
  if (planning_.categoryUnknown) {
    return QStringLiteral(
               "Choose a category: the %1 holds no folder named like a mod folder "
               "(as \"T-Normandy\") that would tell it.")
        .arg(source_.folder ? QStringLiteral("folder") : QStringLiteral("archive"));
  }
  if (planning_.reason.empty()) return toQString(planning_.refusal);
  return QStringLiteral("Cannot install: %1.").arg(toQString(planning_.reason));
}

}  // namespace kvo::ui
