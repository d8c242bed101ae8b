#include <new>
#include <vector>

#include "engine/deployment.h"
#include "engine/folder_engine.h"
#include "engine/folder_plan.h"
#include "platform/entry_ops.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/on_cores.h"
#include "state/core.h"
#include "state/game_change.h"

namespace kvo {
namespace fs = std::filesystem;

bool FolderEngine::MoveIn(const fs::path& modFolder) {
  if (!s_.state.GridReady) return true;
  const auto folderName = pathToText(modFolder.filename());
  const auto plan = planLoad(modFolder, s_);
  if (!plan.problem.empty()) {
    s_.shell.message(plan.problem + "\r\n\r\n" + folderName + " was not loaded.", Icon::Critical,
                     "KVO");
    return false;
  }
  auto record = readDeployment(s_);
  GameChange change(s_);
  addDeployment(change, s_, record, {}, {plan});
  Problems problems;
  if (!change.commit(problems)) {
    s_.shell.message(change.failure() + "\r\n\r\n" + folderName +
                         " was not loaded; the game folder is as it was.",
                     Icon::Critical, "KVO");
    return false;
  }
  clearReadOnlyOfSources({plan});
  return true;
}

bool FolderEngine::MoveOut(const fs::path& modFolder) {
  const auto folderName = pathToText(modFolder.filename());
  auto plan = planUnload(modFolder, s_);
  if (!plan.refusal.empty()) {
    s_.shell.message(plan.refusal, Icon::Critical, "KVO");
    return false;
  }
  auto record = readDeployment(s_);
  GameChange change(s_);
  addDeployment(change, s_, record, {plan}, {});
  if (s_.state.GridReady) change.recordSelection();
  Problems& problems = plan.problems;
  if (!change.commit(problems)) {
    s_.shell.message(change.failure() + "\r\n\r\n" + folderName +
                         " was not unloaded; the game folder is as it was.",
                     Icon::Critical, "KVO");
    return false;
  }
  if (problems.empty()) return true;
  problems.report(s_.shell, folderName + " is unloaded, but not everything could be removed:");
  return false;
}

// The folder's own files lose their read-only mark too, as the game's tools expect.
void FolderEngine::clearReadOnlyOfSources(const std::vector<LoadPlan>& loads) {
  std::vector<const FileCopy*> copies;
  for (const auto& load : loads) {
    for (const auto& copy : load.copies) copies.push_back(&copy);
  }
  std::vector<char> failed(copies.size(), 0);
  forEachOnCores(copies.size(), [&](std::size_t n, bool) {
    try {
      failed[n] = clearReadOnly(copies[n]->source) ? 1 : 0;
    } catch (const std::bad_alloc&) {
      failed[n] = 1;
    }
  });
  std::string stillReadOnly;
  for (std::size_t n = 0; n < copies.size(); ++n) {
    if (failed[n]) stillReadOnly += "\r\n" + copies[n]->name;
  }
  if (stillReadOnly.empty()) return;
  s_.shell.message("The folder is loaded, but these of its files stay read-only:" + stillReadOnly,
                   Icon::Information, "KVO");
}

}  // namespace kvo
