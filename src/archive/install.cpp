#include "archive/install.h"

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

// The new folders appear, and what they replace goes aside into the staging folder, in one
// transaction: all of them or none.
std::string makeTargetsAppear(Core& core, const InstallPlan& plan, const fs::path& staging,
                              Problems& passedOver) {
  GameChange change(core);
  for (std::size_t i = 0; i < plan.targets.size(); ++i) {
    const auto& target = plan.targets[i];
    if (!target.replaced.empty()) {
      change.rename(target.replaced, staging / ("replaced " + std::to_string(i)));
    }
    change.rename(ArchiveUnpacker::placeOf(staging, i), target.path);
  }
  Problems problems;
  if (!change.commit(problems)) return change.failure();
  passedOver.add(problems);
  return {};
}

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

}  // namespace

InstallOutcome commitInstall(Core& core, const InstallPlan& plan, const ArchiveLimits& limits) {
  InstallOutcome outcome;
  outcome.leftOut = plan.leftOut;
  if (plan.targets.empty()) {
    outcome.failure = "Nothing was installed from " + displayPath(plan.archive) +
                      ": it holds nothing to install.";
    return outcome;
  }
  // The player may have loaded the folder since the plan was made.
  for (const auto& target : plan.targets) {
    if (auto problem = replacedInUse(core, target); !problem.empty()) {
      outcome.failure =
          "Nothing was installed from " + displayPath(plan.archive) + ": " + problem + ".";
      return outcome;
    }
  }
  const auto& st = core.state;
  const auto staging = st.SelectorDir / nameToPath(stagingFolderName(st.CategoryCodes));
  auto failure = makeStaging(st, staging);
  if (!failure.empty()) {
    outcome.failure = failure;
    return outcome;
  }
  failure = ArchiveUnpacker(core, plan, staging, limits).run();
  if (failure.empty()) failure = makeTargetsAppear(core, plan, staging, outcome.passedOver);
  for (auto& sentence : removeFolderTree(staging)) outcome.passedOver.add(std::move(sentence));
  if (!failure.empty()) {
    outcome.failure = failure;
    return outcome;
  }
  for (const auto& target : plan.targets) outcome.created.push_back(createdName(target));
  return outcome;
}

InstallOutcome installArchive(Core& core, const InstallRequest& request,
                              const ArchiveLimits& limits) {
  auto planning = planInstall(core, request, limits);
  if (!planning.ok()) {
    InstallOutcome outcome;
    outcome.failure = planning.refusal;
    outcome.categoryUnknown = planning.categoryUnknown;
    return outcome;
  }
  return commitInstall(core, planning.plan, limits);
}

}  // namespace kvo
