#include "archive/install_plan.h"

#include <algorithm>

#include "archive/entry_scan.h"
#include "archive/install_targets.h"
#include "platform/entry_ops.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/path_guard.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

std::string refusalFrom(const fs::path& archive, std::string_view reason) {
  return "Nothing was installed from " + displayPath(archive) + ": " + std::string(reason) + ".";
}

bool isCategoryCode(const FormState& st, std::string_view code) {
  return !code.empty() && std::find(st.CategoryCodes.begin(), st.CategoryCodes.end(), code) !=
                              st.CategoryCodes.end();
}

ModFolderTest modFolderTest(const FormState& st) {
  return [&st](std::string_view name) {
    return name.size() >= 2 && (name[1] == '-' || name[1] == ' ') &&
           isCategoryCode(st, name.substr(0, 1));
  };
}

// A folder that holds KVO128 would be read while its own staging folder fills up.
bool holdsSelectorFolder(const fs::path& folder, const fs::path& selectorDir) {
  std::error_code ec;
  const auto source = fs::weakly_canonical(folder, ec);
  if (ec) return false;
  const auto selector = fs::weakly_canonical(selectorDir, ec);
  if (ec) return false;
  return pathKey(source) == pathKey(selector) || pathBelow(source, selector).has_value();
}

// Reads the source's directory into `directory`: why it is refused, or empty.
std::string readEntries(SourceDirectory& directory, const ArchiveLimits& limits) {
  const auto reader = openEntryReader(directory.source);
  EntryScan scan(limits);
  EntryHeader header;
  std::string problem;
  while (problem.empty() && reader->next(header)) problem = scan.add(header);
  if (reader->failed()) return reader->failure();
  directory.sourceBytes = reader->sourceBytes();
  directory.claimedBytes = scan.claimedBytes();
  if (problem.empty()) problem = scan.finish(directory.sourceBytes);
  if (!problem.empty()) return refusalFrom(directory.source, problem);
  directory.entries = scan.takeEntries();
  return {};
}

std::string sourceStem(const SourceDirectory& source) {
  return source.folder ? pathToText(source.source.filename()) : archiveStem(source.source);
}

InstallPlanning categoryRefusal(const std::string& category) {
  InstallPlanning result;
  result.categoryUnknown = true;
  result.refusal = "\"" + category + "\" is not a category code of kvo.ini.";
  result.reason = result.refusal;
  return result;
}

std::vector<LayoutEntry> layoutEntries(const std::vector<ScannedEntry>& scanned) {
  std::vector<LayoutEntry> entries;
  entries.reserve(scanned.size());
  for (const auto& entry : scanned) {
    if (!entry.parts.empty()) entries.push_back({entry.parts, entry.type == EntryType::Folder});
  }
  return entries;
}

std::string shownPath(const ArchivePath& parts) {
  std::string text;
  for (const auto& part : parts) text += (text.empty() ? "" : "\\") + part;
  return text;
}

void placeEntries(const std::vector<ScannedEntry>& scanned, const ArchiveLayout& layout,
                  InstallPlan& plan) {
  plan.entries.reserve(scanned.size());
  for (const auto& entry : scanned) {
    PlannedEntry planned{entry.name, entry.type, entry.size, kNoTarget, {}};
    if (!entry.parts.empty()) planned.target = targetOf(layout, entry.parts);
    if (planned.target != kNoTarget) {
      const auto depth = layout.targets[planned.target].from.size();
      for (std::size_t i = depth; i < entry.parts.size(); ++i) {
        planned.relative /= nameToPath(entry.parts[i]);
      }
    }
    plan.entries.push_back(std::move(planned));
  }
}

std::string roomProblem(const fs::path& selectorDir, std::uint64_t bytes) {
  std::error_code ec;
  const auto space = fs::space(selectorDir, ec);
  if (ec || space.available >= bytes) return {};
  return "it unpacks to " + sizeText(bytes) + ", but the disk holding KVO128 has only " +
         sizeText(space.available) + " free";
}

}  // namespace

SourceDirectory readSourceDirectory(const FormState& state, const fs::path& source,
                                    const ArchiveLimits& limits) {
  SourceDirectory directory;
  directory.source = absoluteNormal(source);
  directory.folder = isFolderSource(directory.source);
  if (directory.folder && holdsSelectorFolder(directory.source, state.SelectorDir)) {
    directory.refusal = refusalFrom(directory.source, "it holds the selector's own folder " +
                                                          pathToText(state.SelectorDir.filename()));
    return directory;
  }
  directory.refusal = readEntries(directory, limits);
  return directory;
}

InstallPlanning planInstall(const FormState& state, const LoadRecord& record,
                            const InstallRequest& request, const ArchiveLimits& limits) {
  if (!request.category.empty() && !isCategoryCode(state, request.category)) {
    return categoryRefusal(request.category);
  }
  return planInstall(state, record, request, readSourceDirectory(state, request.archive, limits));
}

InstallPlanning planInstall(const FormState& state, const LoadRecord& record,
                            const InstallRequest& request, const SourceDirectory& source) {
  if (!request.category.empty() && !isCategoryCode(state, request.category)) {
    return categoryRefusal(request.category);
  }
  InstallPlanning result;
  auto& plan = result.plan;
  plan.archive = source.source;
  plan.archiveBytes = source.sourceBytes;
  plan.claimedBytes = source.claimedBytes;
  if (!source.ok()) {
    result.refusal = source.refusal;
    return result;
  }
  auto layout = detectLayout(layoutEntries(source.entries), modFolderTest(state));
  auto problem = nameTargets(layout, request, sourceStem(source), result.categoryUnknown);
  if (problem.empty()) problem = placeTargets(state, record, layout, request.replace, plan.targets);
  if (problem.empty()) problem = roomProblem(state.SelectorDir, plan.claimedBytes);
  if (!problem.empty()) {
    result.refusal = refusalFrom(plan.archive, problem);
    result.reason = problem;
    plan.targets.clear();
    return result;
  }
  for (const auto& parts : layout.leftOut) plan.leftOut.push_back(shownPath(parts));
  placeEntries(source.entries, layout, plan);
  return result;
}

InstallProposal proposeInstall(const FormState& state, const SourceDirectory& source) {
  InstallProposal proposal;
  proposal.stem = sourceStem(source);
  if (!source.ok()) {
    proposal.refusal = source.refusal;
    return proposal;
  }
  auto layout = detectLayout(layoutEntries(source.entries), modFolderTest(state));
  const auto problem = nameTargets(layout, {}, proposal.stem, proposal.categoryUnknown);
  // A name the source gives that Windows cannot keep is the player's to change; only a
  // source that gives nothing at all has nothing to propose.
  if (layout.targets.empty()) {
    proposal.refusal = refusalFrom(source.source, problem);
  } else if (!proposal.categoryUnknown) {
    proposal.targets = std::move(layout.targets);
  }
  return proposal;
}

std::vector<std::string> categoryList(const FormState& state) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < state.CategoryCodes.size(); ++i) {
    const auto& code = state.CategoryCodes[i];
    if (code.empty()) continue;
    const auto item = i + 2 < state.List3.items.size() ? state.List3.items[i + 2] : std::string();
    lines.push_back(code + "\t" + item);
  }
  return lines;
}

}  // namespace kvo
