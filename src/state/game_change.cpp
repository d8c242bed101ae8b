#include "state/game_change.h"

#include "platform/listing.h"
#include "platform/path_guard.h"
#include "platform/running_game.h"
#include "state/file_progress.h"

namespace kvo {
namespace fs = std::filesystem;

fs::path journalPath(const FormState& state) {
  return state.SelectorDir / nameToPath(kJournalName);
}

GameChange::GameChange(Core& core)
    : core_(core), transaction_(core.state.GameDir, journalPath(core.state)) {}

void GameChange::copyOver(const fs::path& from, const fs::path& to, std::string caption,
                          StepPolicy policy) {
  note(to);
  transaction_.copyOver(from, to, policy);
  captions_.push_back(std::move(caption));
}

void GameChange::remove(const fs::path& path, std::string caption, StepPolicy policy) {
  note(path);
  transaction_.remove(path, policy);
  captions_.push_back(std::move(caption));
}

void GameChange::rename(const fs::path& from, const fs::path& to, std::string caption,
                        StepPolicy policy) {
  note(from);
  note(to);
  transaction_.rename(from, to, policy);
  captions_.push_back(std::move(caption));
}

void GameChange::replaceWith(const fs::path& path, std::string bytes, StepPolicy policy) {
  note(path);
  transaction_.replaceWith(path, std::move(bytes), policy);
  captions_.emplace_back();
}

void GameChange::createFolder(const fs::path& path) {
  note(path);
  transaction_.createFolder(path);
  captions_.emplace_back();
}

void GameChange::recordSelection() {
  selectionText_ = core_.record.selectionText();
  withRecord_ = true;
  // The whole list goes out as one line, so the file always ends with an extra empty line.
  replaceWith(core_.record.path(), selectionText_ + "\r\n");
}

void GameChange::note(const fs::path& path) {
  if (!pathBelow(core_.state.SelectorDir, path)) touchesGame_ = true;
}

bool GameChange::commit(Problems& problems) {
  failure_.clear();
  if (empty()) {
    for (const auto& line : passedOver_) problems.add(line);
    return true;
  }
  // The game reads its files while it runs; changing them under it breaks the mission.
  if (touchesGame_ && gameRunningFrom(core_.state.GameDir)) {
    failure_ = kGameRunningText;
    return false;
  }
  FileProgress progress(core_, static_cast<int>(captions_.size()));
  // Deletes after the commit point report last, so the bar counts steps as they come.
  int stepsThrough = 0;
  const auto report = transaction_.commit([&](std::size_t step, std::size_t) {
    if (step == 0 || step > captions_.size()) return;
    ++stepsThrough;
    const auto& caption = captions_[step - 1];
    if (!caption.empty()) progress.step(caption, stepsThrough);
  });
  // Whatever happened, the game folder is not what the listing says any more.
  core_.forgetGameFolder();
  if (!report.ok()) {
    failure_ = report.failure;
    for (const auto& line : report.notPutBack) failure_ += "\r\n" + line;
    return false;
  }
  for (const auto& line : passedOver_) problems.add(line);
  for (const auto& line : report.skipped) problems.add(line);
  for (auto& line : transaction_.finish()) problems.add(std::move(line));
  if (withRecord_) core_.record.written(selectionText_);
  return true;
}

}  // namespace kvo
