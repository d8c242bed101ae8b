#include "archive/install_preview.h"

#include <cstdint>

#include "archive/archive_limits.h"
#include "platform/listing.h"

namespace kvo {

namespace {

// A preview is read at a glance; the rest of a long list is counted.
constexpr std::size_t kLeftOutNamesShown = 5;

struct TargetFiles {
  std::size_t files = 0;
  std::uint64_t bytes = 0;
};

std::vector<TargetFiles> filesOfTargets(const InstallPlan& plan) {
  std::vector<TargetFiles> counts(plan.targets.size());
  for (const auto& entry : plan.entries) {
    if (entry.target == kNoTarget || entry.type != EntryType::File) continue;
    auto& count = counts[entry.target];
    ++count.files;
    count.bytes += entry.size.value_or(0);
  }
  return counts;
}

std::string placeOf(const InstallTarget& target) {
  const auto name = pathToText(target.path.filename());
  switch (target.kind) {
    case TargetKind::SkinFolder:
      return "Skinfolder\\" + name;
    case TargetKind::Autoscript:
      return "Autoscripts\\" + name;
    default:
      return name;
  }
}

std::string whatOf(const InstallTarget& target, const TargetFiles& count) {
  const bool replaces = !target.replaced.empty();
  if (target.kind == TargetKind::Autoscript) {
    return std::string(replaces ? "an autoscript replacing the one there" : "a new autoscript") +
           ", " + sizeText(count.bytes);
  }
  std::string what = target.kind == TargetKind::SkinFolder ? "skin folder" : "mod folder";
  std::string text = (replaces ? "a " : "a new ") + what + ", " + std::to_string(count.files) +
                     (count.files == 1 ? " file, " : " files, ") + sizeText(count.bytes);
  if (replaces) text += ", replacing the folder of that name";
  return text;
}

std::string leftOutLine(const std::vector<std::string>& names) {
  std::string line = "Left out: ";
  for (std::size_t i = 0; i < names.size() && i < kLeftOutNamesShown; ++i) {
    line += (i ? ", " : "") + names[i];
  }
  if (names.size() > kLeftOutNamesShown) {
    line += " and " + std::to_string(names.size() - kLeftOutNamesShown) + " more";
  }
  return line;
}

}  // namespace

std::vector<std::string> installPreview(const InstallPlan& plan) {
  std::vector<std::string> lines;
  const auto counts = filesOfTargets(plan);
  for (std::size_t i = 0; i < plan.targets.size(); ++i) {
    lines.push_back(placeOf(plan.targets[i]) + ": " + whatOf(plan.targets[i], counts[i]));
  }
  if (!plan.leftOut.empty()) lines.push_back(leftOutLine(plan.leftOut));
  return lines;
}

}  // namespace kvo
