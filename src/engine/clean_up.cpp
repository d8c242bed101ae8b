#include "engine/clean_up.h"

#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "state/game_change.h"
#include "transaction/transaction.h"

namespace kvo {
namespace fs = std::filesystem;

bool isProtectedFromCleanUp(std::string_view fileName) {
  const auto upper = toUpperAscii(fileName);
  return upper == "DSG.ICO" || upper == "EXTRA.SPT" || upper == "CHATLINE.TXT" ||
         upper == "HOF.DAT";
}

std::string cleanUpPatterns(const std::string* iniText) {
  if (!iniText) return std::string(kBuiltInCleanUpPatterns);
  const auto lines = splitLines(*iniText);
  // An empty first line gives no pattern at all, so nothing is swept.
  return lines.empty() ? std::string() : lines.front();
}

std::vector<std::string> cleanUpNames(const FolderIndex& game, const fs::path& selectorDir,
                                      Problems& failures) {
  std::string iniText;
  const auto ini = findNoCase(selectorDir, "CleanUp.ini");
  if (ini) {
    std::error_code ec;
    auto read = readFileBytes(*ini, ec, read_limit::kCleanUpList);
    if (!read) {
      // Without the player's own list, sweeping with the built-in one could delete too much.
      failures.add(describeFailure("read", *ini, ec) + "; no file was cleaned up");
      return {};
    }
    iniText = std::move(*read);
  }
  const auto patterns = cleanUpPatterns(ini ? &iniText : nullptr);
  if (patterns.empty()) return {};
  if (game.error()) failures.add(describeFailure("read the folder", game.dir(), game.error()));
  auto names = game.files(patterns);
  std::erase_if(names, [](const std::string& name) { return isProtectedFromCleanUp(name); });
  return names;
}

void CleanUp(const FolderIndex& game, const fs::path& selectorDir, GameChange& change,
             Problems& failures, std::string_view kept, const std::string& caption) {
  for (const auto& name : cleanUpNames(game, selectorDir, failures)) {
    if (!kept.empty() && equalsNoCase(name, kept)) continue;
    change.remove(game.dir() / nameToPath(name), caption, StepPolicy::BestEffort);
  }
}

Problems CleanUp(const fs::path& gameDir, const fs::path& selectorDir) {
  const FolderIndex game(gameDir);
  Problems failures;
  FileTransaction transaction(gameDir, selectorDir / nameToPath(kJournalName));
  for (const auto& name : cleanUpNames(game, selectorDir, failures)) {
    transaction.remove(gameDir / nameToPath(name), StepPolicy::BestEffort);
  }
  const auto report = transaction.commit();
  if (!report.ok()) failures.add(report.failure);
  for (const auto& line : report.notPutBack) failures.add(line);
  for (const auto& line : report.skipped) failures.add(line);
  for (const auto& line : transaction.finish()) failures.add(line);
  return failures;
}

}  // namespace kvo
