#include "archive/install.h"

#include <algorithm>
#include <set>

#include "archive/archive_unpacker.h"
#include "archive/install_targets.h"
#include "archive/staging_folder.h"
#include "platform/entry_ops.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/path_guard.h"
#include "state/game_change.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

std::string createdName(const InstallTarget& target) {
  const auto name = pathToText(target.path.filename());
  if (target.kind == TargetKind::ModFolder) return name;
  return pathToText(target.path.parent_path().filename()) + "\\" + name;
}

std::string makeStaging(const FormState& st, const fs::path& staging) {
  // Nothing is written through a link, so the staging folder must not lie behind one.
  auto ec = checkPlace(st.GameDir, staging);
  if (!ec) ec = makeOneFolder(staging);
  return ec ? describeFailure("create the folder", staging, ec) : std::string();
}

// The files and folders target `index` brings, in the archive's order, as the history names
// them: what the staging folder's rename makes appear.
std::vector<ChangedFile> writesOf(const FormState& state, const InstallPlan& plan,
                                  std::size_t index) {
  const auto& target = plan.targets[index];
  std::vector<ChangedFile> shown;
  std::set<fs::path> folders;
  const auto addFolder = [&](const fs::path& folder) {
    if (folders.insert(folder).second) {
      shown.push_back({StepKind::CreateFolder, shownName(state, folder), {}, false});
    }
  };
  if (target.kind != TargetKind::Autoscript) addFolder(target.path);
  for (const auto& entry : plan.entries) {
    if (entry.target != index) continue;
    // The unpacking makes the folders on an entry's way that the archive does not list.
    fs::path folder = target.path;
    const auto parts = std::vector<fs::path>(entry.relative.begin(), entry.relative.end());
    const std::size_t folderParts = entry.type == EntryType::Folder ? parts.size()
                                    : parts.empty()                 ? 0
                                                                    : parts.size() - 1;
    for (std::size_t i = 0; i < folderParts; ++i) addFolder(folder /= parts[i]);
    if (entry.type != EntryType::File) continue;
    const auto file = entry.relative.empty() ? target.path : target.path / entry.relative;
    shown.push_back({StepKind::Replace, shownName(state, file), {}, false});
  }
  return shown;
}

// The files of the folder (or the file) an install replaces, sorted, as the history names
// them: what goes with it. Links inside go as links; nothing behind one is listed.
std::vector<ChangedFile> deletesOf(const FormState& state, const fs::path& replaced) {
  std::vector<std::string> names;
  std::error_code ec;
  if (entryKind(replaced, ec) != EntryKind::Folder) {
    names.push_back(shownName(state, replaced));
  } else {
    for (fs::recursive_directory_iterator it(replaced, ec), end; !ec && it != end;
         it.increment(ec)) {
      std::error_code kindEc;
      if (entryKind(it->path(), kindEc) != EntryKind::Folder) {
        names.push_back(shownName(state, it->path()));
      }
    }
  }
  std::sort(names.begin(), names.end());
  std::vector<ChangedFile> shown;
  shown.reserve(names.size());
  for (auto& name : names) shown.push_back({StepKind::Remove, std::move(name), {}, true});
  return shown;
}

// The new folders appear, and what they replace goes aside into the staging folder, in one
// change: all of them or none.
void planTargets(const FormState& state, const InstallPlan& plan, const fs::path& staging,
                 GameChange& change) {
  for (std::size_t i = 0; i < plan.targets.size(); ++i) {
    const auto& target = plan.targets[i];
    if (!target.replaced.empty()) {
      change.renamePrepared(target.replaced, staging / ("replaced " + std::to_string(i)),
                            deletesOf(state, target.replaced));
    }
    change.renamePrepared(ArchiveUnpacker::placeOf(staging, i), target.path,
                          writesOf(state, plan, i));
  }
}

std::string doneSentence(const InstallOutcome& result, const InstallPlan& plan) {
  auto text = "Installed " + nameList(result.created) + " from " +
              pathToText(plan.archive.filename()) + ", not loaded.";
  if (!result.leftOut.empty()) text += " Left out: " + nameList(result.leftOut) + ".";
  return text;
}

}  // namespace

std::string installAction(const fs::path& archive) {
  return "install " + pathToText(archive.filename());
}

InstallOutcome commitInstall(FormState& state, GameFolder& game, const LoadRecord& record,
                             Shell& shell, const InstallPlan& plan, const ArchiveLimits& limits) {
  InstallOutcome result;
  result.leftOut = plan.leftOut;
  const auto action = installAction(plan.archive);
  if (plan.targets.empty()) {
    result.outcome =
        Outcome::refused(action, "Nothing was installed from " + displayPath(plan.archive) +
                                     ": it holds nothing to install.");
    return result;
  }
  // The player may have loaded the folder since the plan was made.
  for (const auto& target : plan.targets) {
    if (auto problem = replacedInUse(state, record, target); !problem.empty()) {
      result.outcome = Outcome::refused(
          action, "Nothing was installed from " + displayPath(plan.archive) + ": " + problem + ".");
      return result;
    }
  }
  const auto staging = state.SelectorDir / nameToPath(stagingFolderName(state.CategoryCodes));
  GameChange change(state, action);
  planTargets(state, plan, staging, change);
  if (game.dryRun()) {
    result.outcome = game.commit(change);
    return result;
  }
  auto failure = makeStaging(state, staging);
  if (!failure.empty()) {
    result.outcome = Outcome::refused(action, failure);
    return result;
  }
  failure = ArchiveUnpacker(state, shell, plan, staging, limits).run();
  if (failure.empty()) {
    result.outcome = game.commit(change);
  } else {
    result.outcome = Outcome::refused(action, failure);
  }
  result.outcome.passedOverHeading = "The install could not tidy away everything:";
  for (auto& sentence : removeFolderTree(staging)) {
    result.outcome.passedOver.add(std::move(sentence));
  }
  if (!result.outcome.ok()) return result;
  for (const auto& target : plan.targets) result.created.push_back(createdName(target));
  result.outcome.done = doneSentence(result, plan);
  return result;
}

InstallOutcome installArchive(FormState& state, GameFolder& game, const LoadRecord& record,
                              Shell& shell, const InstallRequest& request,
                              const ArchiveLimits& limits) {
  auto planning = planInstall(state, record, request, limits);
  if (!planning.ok()) {
    InstallOutcome result;
    result.outcome = Outcome::refused(installAction(request.archive), planning.refusal);
    result.categoryUnknown = planning.categoryUnknown;
    return result;
  }
  return commitInstall(state, game, record, shell, planning.plan, limits);
}

}  // namespace kvo
