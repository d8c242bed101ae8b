#include "state/game_change.h"

#include <algorithm>
#include <map>
#include <utility>

#include "platform/entry_ops.h"
#include "platform/listing.h"
#include "platform/path_guard.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// Names are compared as Windows does: the folder as the system takes it, the name in any
// letter case. Planned paths are built from the same folders, so no normalising is needed.
std::string touchKey(const PathText& text) {
#ifdef _WIN32
  const fs::path path(text);
  return pathKey(path.parent_path()) + '\n' + toUpperAscii(pathToText(path.filename()));
#else
  // Thousands of steps each want their key: the path's own bytes, cut at its last separator.
  const auto cut = text.rfind('/');
  const auto name = cut == std::string::npos ? 0 : cut + 1;
  std::string key;
  key.reserve(text.size() + 1);
  key.append(text, 0, cut == std::string::npos ? 0 : cut);
  key += '\n';
  for (std::size_t i = name; i < text.size(); ++i) {
    const char c = text[i];
    key += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return key;
#endif
}

// True when `key` is touchKey(text), without making it.
bool hasKey(const PathText& text, const std::string& key) {
#ifdef _WIN32
  return touchKey(text) == key;
#else
  const auto cut = text.rfind('/');
  const std::size_t folder = cut == std::string::npos ? 0 : cut;
  const std::size_t name = cut == std::string::npos ? 0 : cut + 1;
  if (key.size() != folder + 1 + (text.size() - name) || key[folder] != '\n' ||
      key.compare(0, folder, text, 0, folder) != 0) {
    return false;
  }
  for (std::size_t i = name, k = folder + 1; i < text.size(); ++i, ++k) {
    const char c = text[i];
    if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != key[k]) return false;
  }
  return true;
#endif
}

// True when `text` lies below `folder` as the two are spelled.
bool spelledBelow(const PathText& folder, const PathText& text) {
  return text.size() > folder.size() + 1 && text.compare(0, folder.size(), folder) == 0 &&
         (text[folder.size()] == fs::path::preferred_separator || text[folder.size()] == '/');
}

PlannedStep stepOf(StepKind kind, const fs::path& target, const fs::path& source, StepPolicy policy,
                   std::string caption) {
  PlannedStep step;
  step.kind = kind;
  step.policy = policy;
  step.target = target.native();
  step.source = source.native();
  step.caption = std::move(caption);
  return step;
}

bool writes(StepKind kind) {
  return kind == StepKind::Copy || kind == StepKind::Replace;
}

void addMarks(const Grid& grid, int markCol, int nameCol, int firstRow, const char* name,
              std::vector<ChangedMark>& marks) {
  for (int r = firstRow; r < grid.rows(); ++r) {
    if (grid.text(r, markCol) == "S") marks.push_back({name, grid.text(r, nameCol), true});
  }
}

}  // namespace

fs::path journalPath(const FormState& state) {
  return state.SelectorDir / nameToPath(kJournalName);
}

std::vector<ChangedMark> loadedMarks(const FormState& state) {
  std::vector<ChangedMark> marks;
  addMarks(state.Unigrid, 2, 1, 1, "Unigrid", marks);
  addMarks(state.SK1, 1, 0, 1, "SK1", marks);
  if (state.Frame6Visible) addMarks(state.G1, 4, 0, 1, "G1", marks);
  return marks;
}

std::vector<ChangedMark> changedMarks(const std::vector<ChangedMark>& before,
                                      const std::vector<ChangedMark>& after) {
  const auto contains = [](const std::vector<ChangedMark>& marks, const ChangedMark& mark) {
    return std::ranges::any_of(marks, [&](const ChangedMark& other) {
      return other.grid == mark.grid && other.name == mark.name;
    });
  };
  // Grid order: the cleared and the set marks of Unigrid, then of SK1, then of G1.
  std::vector<ChangedMark> changed;
  for (const char* grid : {"Unigrid", "SK1", "G1"}) {
    for (const auto& mark : before) {
      if (mark.grid == grid && !contains(after, mark) && !contains(changed, mark)) {
        changed.push_back({mark.grid, mark.name, false});
      }
    }
    for (const auto& mark : after) {
      if (mark.grid == grid && !contains(before, mark) && !contains(changed, mark)) {
        changed.push_back(mark);
      }
    }
  }
  return changed;
}

GameChange::GameChange(const FormState& state, std::string action)
    : action_(std::move(action)), gameDir_(state.GameDir), marksBefore_(loadedMarks(state)) {}

bool GameChange::empty() const {
  return std::ranges::all_of(steps_, [](const PlannedStep& step) { return step.dropped; });
}

std::uint64_t* GameChange::touchSlot(const std::string& key, std::size_t hash) const {
  return lastTouch_.find(hash, [&](std::uint64_t number) {
    const auto& step = steps_[number >> 1];
    return hasKey((number & 1) != 0 ? step.source : step.target, key);
  });
}

std::size_t GameChange::lastTouch(const std::string& key) const {
  if (lastTouch_.empty()) return kNoStep;
  const auto* slot = touchSlot(key, NameSlots::hashOf(key));
  return slot == nullptr ? kNoStep : static_cast<std::size_t>(*slot >> 1);
}

std::size_t GameChange::noteTouch(const std::string& key, std::size_t index, bool asSource) {
  const std::uint64_t number = (static_cast<std::uint64_t>(index) << 1) | (asSource ? 1 : 0);
  const auto hash = NameSlots::hashOf(key);
  if (auto* slot = touchSlot(key, hash)) {
    return static_cast<std::size_t>(std::exchange(*slot, number) >> 1);
  }
  lastTouch_.insert(hash, number);
  return kNoStep;
}

// A rename touches two names; every other step only its target's.
std::size_t GameChange::earlierOn(std::size_t step, const std::string& key) const {
  if (steps_[step].kind != StepKind::Rename || isTarget(step, key)) return earlier_[step].onTarget;
  return earlier_[step].onSource;
}

bool GameChange::isTarget(std::size_t step, const std::string& key) const {
  return hasKey(steps_[step].target, key);
}

// The last live step that changed what is at a name.
std::optional<std::size_t> GameChange::lastOn(const std::string& key) const {
  for (auto step = lastTouch(key); step != kNoStep; step = earlierOn(step, key)) {
    if (!steps_[step].dropped) return step;
  }
  return std::nullopt;
}

// True when a live copy after `step` reads the file named `key`, so that the file must hold
// what `step` gave it until then.
bool GameChange::readSince(std::size_t step, const std::string& key) const {
  // Which copies read which names is worked out when a fold first asks, since most changes
  // never fold.
  if (!reads_) {
    reads_.emplace();
    for (std::size_t i = 0; i < steps_.size(); ++i) noteRead(i);
  }
  const auto found = reads_->find(key);
  if (found == reads_->end()) return false;
  return std::ranges::any_of(
      found->second, [&](std::size_t other) { return other > step && !steps_[other].dropped; });
}

// A copy's source inside the game folder (a career's save going back) may be written by
// another step.
void GameChange::noteRead(std::size_t step) const {
  const auto& planned = steps_[step];
  if (planned.kind != StepKind::Copy || !spelledBelow(gameDir_.native(), planned.source)) return;
  (*reads_)[touchKey(planned.source)].push_back(step);
}

std::size_t GameChange::add(PlannedStep step, std::string key) {
  const std::size_t index = steps_.size();
  step.origin = origin_;
  Earlier earlier;
  const auto sourceKey = step.kind == StepKind::Rename ? touchKey(step.source) : std::string();
  const bool twoNames = step.kind == StepKind::Rename && sourceKey != key;
  // The slots lead back to their names through the steps: this one is in place first.
  steps_.push_back(std::move(step));
  earlier.onTarget = noteTouch(key, index, false);
  if (twoNames) earlier.onSource = noteTouch(sourceKey, index, true);
  earlier_.push_back(earlier);
  if (reads_) noteRead(index);
  return index;
}

void GameChange::foldIntoWrite(const std::string& key) {
  if (lastTouch(key) == kNoStep) return;
  while (const auto last = lastOn(key)) {
    const auto& prior = steps_[*last];
    const bool renamedAway = prior.kind == StepKind::Rename && !isTarget(*last, key);
    if (renamedAway || prior.kind == StepKind::CreateFolder) return;
    // What an earlier step wrote here is read by a copy since: both must stay, and the
    // transaction refuses that.
    if (writes(prior.kind) && readSince(*last, key)) return;
    drop(*last);
  }
}

std::size_t GameChange::copyOver(const fs::path& from, const fs::path& to, std::string caption,
                                 StepPolicy policy, CopyBy by) {
  auto key = touchKey(to.native());
  foldIntoWrite(key);
  auto step = stepOf(StepKind::Copy, to, from, policy, std::move(caption));
  step.by = by;
  return add(std::move(step), std::move(key));
}

std::size_t GameChange::replaceWith(const fs::path& path, std::string bytes, StepPolicy policy) {
  auto key = touchKey(path.native());
  foldIntoWrite(key);
  auto step = stepOf(StepKind::Replace, path, {}, policy, {});
  step.bytes = std::move(bytes);
  return add(std::move(step), std::move(key));
}

void GameChange::keepReadOnly(std::size_t step) {
  if (step < steps_.size() && steps_[step].kind == StepKind::Replace) {
    steps_[step].keepReadOnly = true;
  }
}

std::size_t GameChange::remove(const fs::path& path, std::string caption, StepPolicy policy) {
  auto key = touchKey(path.native());
  if (lastTouch(key) != kNoStep) {
    while (const auto last = lastOn(key)) {
      const auto& prior = steps_[*last];
      if (prior.kind == StepKind::Remove) return kNoStep;
      if (prior.kind == StepKind::Rename && !isTarget(*last, key)) return kNoStep;
      if (prior.kind == StepKind::CreateFolder) break;
      if (writes(prior.kind) && readSince(*last, key)) break;
      drop(*last);
    }
  }
  return add(stepOf(StepKind::Remove, path, {}, policy, std::move(caption)), std::move(key));
}

std::size_t GameChange::rename(const fs::path& from, const fs::path& to, std::string caption,
                               StepPolicy policy) {
  auto key = touchKey(to.native());
  // Moving a file back where an earlier step of this change moved it from leaves both names
  // as they were.
  const auto fromKey = touchKey(from.native());
  if (lastTouch(fromKey) != kNoStep && lastTouch(key) != kNoStep) {
    const auto last = lastOn(fromKey);
    if (last && steps_[*last].kind == StepKind::Rename && isTarget(*last, fromKey) &&
        hasKey(steps_[*last].source, key) && lastOn(key) == last) {
      drop(*last);
      return kNoStep;
    }
  }
  return add(stepOf(StepKind::Rename, to, from, policy, std::move(caption)), std::move(key));
}

std::size_t GameChange::createFolder(const fs::path& path) {
  auto key = touchKey(path.native());
  const auto last = lastOn(key);
  if (last && steps_[*last].kind == StepKind::CreateFolder) return kNoStep;
  return add(stepOf(StepKind::CreateFolder, path, {}, StepPolicy::AllOrNothing, {}),
             std::move(key));
}

std::size_t GameChange::renamePrepared(const fs::path& from, const fs::path& to,
                                       std::vector<ChangedFile> shown) {
  auto step = stepOf(StepKind::Rename, to, from, StepPolicy::AllOrNothing, {});
  step.prepared = true;
  const auto index = add(std::move(step), touchKey(to.native()));
  shownAs_[index] = std::move(shown);
  return index;
}

std::deque<PlannedStep>& GameChange::stepsForCommit() {
  lastTouch_.clear();
  earlier_ = {};
  reads_.reset();
  return steps_;
}

const std::vector<ChangedFile>* GameChange::shownAs(std::size_t step) const {
  const auto found = shownAs_.find(step);
  return found == shownAs_.end() ? nullptr : &found->second;
}

void GameChange::setOrigin(std::string origin) {
  if (origin == origins_[origin_]) return;
  origins_.push_back(std::move(origin));
  origin_ = static_cast<std::uint32_t>(origins_.size() - 1);
}

void GameChange::noteFailedStep(std::size_t step) {
  failedOrigin_ = step < steps_.size() ? origins_[steps_[step].origin] : std::string();
}

void GameChange::noteRecord(std::string shown, std::size_t step) {
  recordShown_ = std::move(shown);
  recordStep_ = step;
}

GameChange::Planned GameChange::plannedAt(const PathText& path, const PlannedStep** by) const {
  *by = nullptr;
  if (lastTouch_.empty()) return Planned::Untouched;
  const auto key = touchKey(path);
  const auto last = lastOn(key);
  if (!last) return Planned::Untouched;
  const auto& step = steps_[*last];
  *by = &step;
  switch (step.kind) {
    case StepKind::Remove:
      return Planned::Absent;
    case StepKind::CreateFolder:
      return Planned::Folder;
    case StepKind::Rename:
      if (!isTarget(*last, key)) return Planned::Absent;
      return folderExists(fs::path(step.source)) ? Planned::Folder : Planned::File;
    default:
      return Planned::File;
  }
}

std::optional<std::string> GameChange::find(const FolderIndex& folder,
                                            std::string_view name) const {
  if (lastTouch_.empty()) return folder.find(name);
  const auto path = joinedText(folder.dir(), name);
  const PlannedStep* by = nullptr;
  switch (plannedAt(path, &by)) {
    case Planned::Untouched:
      return folder.find(name);
    case Planned::Absent:
      return std::nullopt;
    default:
      return pathToText(fs::path(by->target).filename());
  }
}

std::optional<std::string> GameChange::onlyFile(const FolderIndex& folder,
                                                std::string_view name) const {
  if (lastTouch_.empty()) return folder.onlyFile(name);
  const auto path = joinedText(folder.dir(), name);
  const PlannedStep* by = nullptr;
  switch (plannedAt(path, &by)) {
    case Planned::Untouched:
      return folder.onlyFile(name);
    case Planned::File:
      return pathToText(fs::path(by->target).filename());
    default:
      return std::nullopt;
  }
}

std::vector<std::string> GameChange::filesNamed(const FolderIndex& folder,
                                                std::string_view name) const {
  if (lastTouch_.empty()) return folder.filesNamed(name);
  const auto path = joinedText(folder.dir(), name);
  const PlannedStep* by = nullptr;
  switch (plannedAt(path, &by)) {
    case Planned::Untouched:
      return folder.filesNamed(name);
    case Planned::File:
      return {pathToText(fs::path(by->target).filename())};
    default:
      return {};
  }
}

bool GameChange::isFile(const fs::path& path) const {
  const PlannedStep* by = nullptr;
  const auto planned = plannedAt(path.native(), &by);
  return planned == Planned::Untouched ? fileExists(path) : planned == Planned::File;
}

std::optional<std::string> GameChange::read(const fs::path& path, std::error_code& ec,
                                            std::size_t limit) const {
  ec.clear();
  const PlannedStep* by = nullptr;
  switch (plannedAt(path.native(), &by)) {
    case Planned::Untouched:
      return readFileBytes(path, ec, limit);
    case Planned::File:
      if (by->kind == StepKind::Replace) {
        if (by->bytes.size() <= limit) return by->bytes;
        ec = Refusal::TooLarge;
        return std::nullopt;
      }
      return readFileBytes(fs::path(by->source), ec, limit);
    case Planned::Folder:
      ec = std::make_error_code(std::errc::is_a_directory);
      return std::nullopt;
    case Planned::Absent:
      break;
  }
  ec = std::make_error_code(std::errc::no_such_file_or_directory);
  return std::nullopt;
}

}  // namespace kvo
