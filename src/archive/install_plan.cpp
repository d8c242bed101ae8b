#include "archive/install_plan.h"

#include <algorithm>

#include "archive/entry_scan.h"
#include "archive/install_targets.h"
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

// Reads the archive's directory through `scan`; why the archive is refused, or empty. When
// the archive cannot be read, `failure` gets the reader's sentence.
std::string readDirectory(InstallPlan& plan, EntryScan& scan, std::string& failure) {
  ArchiveReader reader(plan.archive);
  EntryHeader header;
  std::string problem;
  while (problem.empty() && reader.next(header)) problem = scan.add(header);
  if (reader.failed()) {
    failure = reader.failure();
    return {};
  }
  std::error_code ec;
  plan.archiveBytes = fs::file_size(plan.archive, ec);
  plan.claimedBytes = scan.claimedBytes();
  return problem.empty() ? scan.finish(plan.archiveBytes) : problem;
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

InstallPlanning planInstall(Core& core, const InstallRequest& request,
                            const ArchiveLimits& limits) {
  InstallPlanning result;
  auto& plan = result.plan;
  const auto& st = core.state;
  plan.archive = absoluteNormal(request.archive);
  if (!request.category.empty() && !isCategoryCode(st, request.category)) {
    result.categoryUnknown = true;
    result.refusal = "\"" + request.category + "\" is not a category code of kvo.ini.";
    return result;
  }
  EntryScan scan(limits);
  auto problem = readDirectory(plan, scan, result.refusal);
  if (!result.refusal.empty()) return result;
  ArchiveLayout layout;
  if (problem.empty()) {
    layout = detectLayout(layoutEntries(scan.entries()), modFolderTest(st));
    problem = nameTargets(layout, request, archiveStem(plan.archive), result.categoryUnknown);
  }
  if (problem.empty()) problem = placeTargets(core, layout, request.replace, plan.targets);
  if (problem.empty()) problem = roomProblem(st.SelectorDir, plan.claimedBytes);
  if (!problem.empty()) {
    result.refusal = refusalFrom(plan.archive, problem);
    plan.targets.clear();
    return result;
  }
  for (const auto& parts : layout.leftOut) plan.leftOut.push_back(shownPath(parts));
  placeEntries(scan.entries(), layout, plan);
  return result;
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
