#include "ui/action_report.h"

#include <QStringList>
#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/listing.h"
#include "state/form_state.h"
#include "state/load_record.h"
#include "ui/view_sync.h"

namespace kvo::ui {

namespace fs = std::filesystem;

namespace {

// The status bar is one line; longer lists are cut after this many names.
constexpr std::size_t kNamesShown = 4;

std::vector<std::string> without(const std::vector<std::string>& names,
                                 const std::vector<std::string>& removed) {
  std::vector<std::string> left;
  for (const auto& name : names) {
    if (std::find(removed.begin(), removed.end(), name) == removed.end()) left.push_back(name);
  }
  return left;
}

std::set<std::string> gameFiles(const kvo::FormState& state) {
  const auto names = kvo::listFiles(state.GameDir, "*");
  return {names.begin(), names.end()};
}

fs::path saveFolder(const kvo::FormState& state) {
  return kvo::resolveNoCase(state.GameDir, "savedata");
}

std::string fileBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// True when the game's eaw.exe is, after Reset All, the spare copy kept in the selector folder.
bool spareExeInPlace(const kvo::FormState& state) {
  const auto spare = kvo::findNoCase(state.SelectorDir, "eaw.exe");
  const auto game = kvo::findNoCase(state.GameDir, "eaw.exe");
  return spare && game && kvo::fileExists(*spare) && fileBytes(*spare) == fileBytes(*game);
}

QString fileCount(std::size_t count) {
  if (count == 0) return QStringLiteral("no file");
  return count == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(count);
}

// "a, b and c".
QString joined(const QStringList& parts) {
  if (parts.size() < 2) return parts.join(QString());
  return parts.mid(0, parts.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
         parts.back();
}

}  // namespace

QString nameList(const std::vector<std::string>& names) {
  QStringList shown;
  for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i) shown << toQString(names[i]);
  QString text = shown.join(QStringLiteral(", "));
  if (names.size() > kNamesShown)
    text += QStringLiteral(" (+%1 more)").arg(names.size() - kNamesShown);
  return text;
}

SelectionReport::SelectionReport(const kvo::FormState& state)
    : before_(kvo::loadedSelection(state)) {}

QString SelectionReport::describe(const kvo::FormState& state) const {
  const auto after = kvo::loadedSelection(state);
  const auto unloaded = without(before_, after);
  const auto loaded = without(after, before_);
  QStringList sentences;
  if (!unloaded.empty()) sentences << QStringLiteral("Unloaded %1.").arg(nameList(unloaded));
  if (!loaded.empty()) sentences << QStringLiteral("Loaded %1.").arg(nameList(loaded));
  return sentences.join(QLatin1Char(' '));
}

ResetAllReport::ResetAllReport(const kvo::FormState& state)
    : unloaded_(kvo::loadedSelection(state)), files_(gameFiles(state)) {}

QString ResetAllReport::describe(const kvo::FormState& state) const {
  const auto left = gameFiles(state);
  const auto deleted = static_cast<std::size_t>(std::count_if(
      files_.begin(), files_.end(), [&](const std::string& name) { return !left.contains(name); }));
  QStringList parts;
  if (!unloaded_.empty()) parts << QStringLiteral("unloaded %1").arg(nameList(unloaded_));
  parts << QStringLiteral("deleted %1 from the game folder").arg(fileCount(deleted));
  if (spareExeInPlace(state)) {
    parts << QStringLiteral("put eaw.exe back from %1")
                 .arg(pathToQString(state.SelectorDir.filename()));
  }
  return QStringLiteral("Reset All %1.").arg(joined(parts));
}

DelMsnReport::DelMsnReport(const kvo::FormState& state)
    : missions_(kvo::listFiles(saveFolder(state), "Default*.msn")) {}

QString DelMsnReport::describe(const kvo::FormState& state) const {
  const QString folder = pathToQString(saveFolder(state).filename());
  if (missions_.empty())
    return QStringLiteral("Del MSN found no default mission in %1.").arg(folder);
  const auto deleted = without(missions_, kvo::listFiles(saveFolder(state), "Default*.msn"));
  if (deleted.empty()) return QStringLiteral("Del MSN deleted no default mission.");
  return QStringLiteral("Del MSN deleted %1 from %2.").arg(nameList(deleted), folder);
}

}  // namespace kvo::ui
