// libFuzzer target: the names of an archive's entries (one per line of the input, a trailing
// "/" for a folder, a leading "!" for a link) through the checks of a plan and the layout
// detection, checked against their own rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_layout.h"
#include "archive/entry_names.h"
#include "archive/entry_scan.h"
#include "platform/text_file.h"

namespace {

bool isModFolder(std::string_view name) {
  return name.size() >= 2 && (name[1] == '-' || name[1] == ' ') &&
         std::string_view("TFWs\xE9").find(name[0]) != std::string_view::npos;
}

// No part of a name that passed may lead anywhere but down.
void checkParts(const kvo::ArchivePath& parts) {
  for (const auto& part : parts) {
    if (part.empty() || part == "." || part == "..") std::abort();
    if (part.find_first_of("/\\:") != std::string::npos) std::abort();
  }
}

void checkLayout(const std::vector<kvo::ScannedEntry>& scanned) {
  std::vector<kvo::LayoutEntry> entries;
  for (const auto& entry : scanned) {
    if (!entry.parts.empty())
      entries.push_back({entry.parts, entry.type == kvo::EntryType::Folder});
  }
  const auto layout = kvo::detectLayout(entries, isModFolder);
  for (const auto& target : layout.targets) {
    if (target.kind != kvo::TargetKind::ModFolder && !target.name.empty() &&
        target.from.back() != target.name) {
      std::abort();
    }
  }
  for (const auto& entry : entries) {
    const auto index = kvo::targetOf(layout, entry.parts);
    if (index == static_cast<std::size_t>(-1)) continue;
    const auto& from = layout.targets[index].from;
    // An entry goes only into a target whose folder holds it.
    if (from.size() > entry.parts.size()) std::abort();
    for (std::size_t i = 0; i < from.size(); ++i) {
      if (from[i] != entry.parts[i]) std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const kvo::ArchiveLimits limits;
  kvo::EntryScan scan(limits);
  for (auto line : kvo::splitLines(bytes)) {
    kvo::EntryHeader header;
    if (line.starts_with('!')) {
      header.type = kvo::EntryType::Link;
      line.erase(0, 1);
    } else if (line.ends_with('/')) {
      header.type = kvo::EntryType::Folder;
    }
    header.size = line.size();
    const auto mapped = kvo::mapEntryName(line);
    if (mapped.problem.empty()) checkParts(mapped.parts);
    header.name = line;
    if (!scan.add(header).empty()) break;
    if (header.type == kvo::EntryType::Link) std::abort();  // a link never passes
  }
  for (const auto& entry : scan.entries()) checkParts(entry.parts);
  checkLayout(scan.entries());
  return 0;
}
