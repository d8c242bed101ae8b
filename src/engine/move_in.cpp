#include <cerrno>
#include <fstream>
#include <map>

#include "engine/folder_engine.h"
#include "engine/mod_files.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "state/core.h"
#include "state/file_progress.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

struct CopyStep {
  std::string name;
  fs::path source;
  fs::path target;
  bool targetExisted = false;
  GameTarget folder = GameTarget::GameFolder;
};

// The game folders a load writes into, each listed once so that a file keeps the letter
// case its earlier copy has on disk (the game folder itself through the operation's listing).
class TargetFolders final {
 public:
  explicit TargetFolders(Core& core) : core_(core) {}

  // The folder for `target`, created when missing; nullptr and `problem` set when it cannot be.
  FolderIndex* folder(GameTarget target, std::string& problem) {
    if (target == GameTarget::GameFolder) return &core_.gameFolder();
    auto found = indexes_.find(target);
    if (found != indexes_.end()) return &found->second;
    const auto dir = targetFolder(core_.gameFolder(), target);
    if (!folderExists(dir)) {
      if (auto ec = createFolder(dir)) {
        problem = describeFailure("create the folder", dir, ec);
        return nullptr;
      }
      core_.gameFolder().insert(pathToText(dir.filename()), true);
    }
    return &indexes_.emplace(target, FolderIndex(dir)).first->second;
  }

 private:
  Core& core_;
  std::map<GameTarget, FolderIndex> indexes_;
};

std::error_code openForReading(const fs::path& file) {
  errno = 0;
  std::ifstream in(file, std::ios::binary);
  if (in) return {};
  return std::error_code(errno != 0 ? errno : EACCES, std::generic_category());
}

// Every copy of the load, checked as far as can be before the first byte moves; empty
// `problem` when the load may go ahead.
std::vector<CopyStep> planLoad(const fs::path& modFolder, Core& core, std::string& problem) {
  std::error_code ec;
  const auto names = listFiles(modFolder, "*.*", ec);
  if (ec) {
    problem = describeFailure("read the folder", modFolder, ec);
    return {};
  }
  TargetFolders targets(core);
  std::vector<CopyStep> plan;
  for (const auto& name : names) {
    if (staysInModFolder(name)) continue;
    const FolderIndex* index = targets.folder(loadTarget(name), problem);
    if (!index) return {};
    CopyStep step{name, modFolder / nameToPath(name), {}, false, loadTarget(name)};
    if (auto unreadable = openForReading(step.source)) {
      problem = describeFailure("read", step.source, unreadable);
      return {};
    }
    const auto existing = index->find(name);
    step.targetExisted = existing.has_value();
    step.target = index->dir() / nameToPath(existing.value_or(name));
    plan.push_back(std::move(step));
  }
  return plan;
}

// Deletes the copies this load made; one line for each that would not go.
std::string undoCopies(const std::vector<CopyStep>& plan, std::size_t copied) {
  std::string left;
  for (std::size_t i = copied; i-- > 0;) {
    if (auto ec = deleteFile(plan[i].target)) {
      left += "\r\n" + describeFailure("remove", plan[i].target, ec);
    }
  }
  return left;
}

}  // namespace

bool FolderEngine::MoveIn(const fs::path& modFolder, std::string_view swappedOut) {
  auto& st = s_.state;
  if (modFolder == st.GameDir || !st.GridReady) return true;
  const auto folderName = pathToText(modFolder.filename());
  std::string problem;
  // Taken before the first copy, so that the copies are noted in it instead of listing anew.
  auto& game = s_.gameFolder();
  const auto plan = planLoad(modFolder, s_, problem);
  std::size_t copied = 0;
  std::vector<std::string> stillReadOnly;
  if (problem.empty()) {
    FileProgress progress(s_, static_cast<int>(plan.size()));
    for (; copied < plan.size(); ++copied) {
      const auto& step = plan[copied];
      if (auto ec = copyFileOver(step.source, step.target)) {
        problem = describeFailure("copy " + displayPath(step.source) + " to", step.target, ec);
        // A half-written new file must not stay behind; an existing one was not replaced.
        if (!step.targetExisted) deleteFile(step.target);
        break;
      }
      // The folder's own files lose their read-only mark too, as the game's tools expect.
      if (makeNormal(step.source)) stillReadOnly.push_back(step.name);
      progress.step("Please wait- copying: :" + step.name, static_cast<int>(copied + 1));
    }
  }
  if (problem.empty()) {
    for (const auto& step : plan) {
      if (step.folder == GameTarget::GameFolder && !step.targetExisted) {
        game.insert(pathToText(step.target.filename()), false);
      }
    }
    if (!stillReadOnly.empty()) {
      std::string text = folderName + " is loaded, but these of its files stay read-only:";
      for (const auto& name : stillReadOnly) text += "\r\n" + name;
      s_.shell.message(text, Icon::Information, "KVO");
    }
    return true;
  }
  std::string text = problem + "\r\n\r\n" + folderName + " was not loaded";
  const auto left = undoCopies(plan, copied);
  if (copied == 0) {
    text += ".";
  } else if (left.empty()) {
    text += "; the files copied so far were removed again.";
  } else {
    text += "; these of the files copied so far could not be removed again:" + left;
  }
  if (!swappedOut.empty()) text += "\r\n" + std::string(swappedOut) + " was unloaded before.";
  s_.shell.message(text, Icon::Critical, "KVO");
  return false;
}

}  // namespace kvo
