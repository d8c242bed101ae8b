#include "archive/archive_unpacker.h"

#include "archive/selector_text.h"
#include "platform/entry_ops.h"
#include "platform/file_ops.h"
#include "platform/new_file_stream.h"
#include "state/file_progress.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

bool sameEntry(const EntryHeader& header, const PlannedEntry& planned) {
  return header.name == planned.name && header.type == planned.type && header.size == planned.size;
}

std::string quotedName(std::string_view utf8Name) {
  return "\"" + displayName(utf8Name) + "\"";
}

int filesToUnpack(const InstallPlan& plan) {
  int count = 0;
  for (const auto& entry : plan.entries) {
    count += entry.target != kNoTarget && entry.type == EntryType::File;
  }
  return count;
}

}  // namespace

ArchiveUnpacker::ArchiveUnpacker(FormState& state, Shell& shell, const InstallPlan& plan,
                                 fs::path staging, const ArchiveLimits& limits)
    : state_(state), shell_(shell), plan_(plan), staging_(std::move(staging)), limits_(limits) {
  madeFolders_.insert(pathKey(staging_));
}

fs::path ArchiveUnpacker::placeOf(const fs::path& staging, std::size_t index) {
  return staging / std::to_string(index);
}

std::string ArchiveUnpacker::run() {
  for (std::size_t i = 0; i < plan_.targets.size(); ++i) {
    if (plan_.targets[i].kind == TargetKind::Autoscript) continue;
    if (auto ec = makeFolders(placeOf(staging_, i))) {
      return describeFailure("create the folder", placeOf(staging_, i), ec);
    }
  }
  const auto source = openEntryReader(plan_.archive);
  auto& reader = *source;
  FileProgress progress(state_, shell_, filesToUnpack(plan_));
  std::size_t index = 0;
  int filesDone = 0;
  EntryHeader header;
  while (reader.next(header)) {
    if (index >= plan_.entries.size() || !sameEntry(header, plan_.entries[index])) {
      return refusal("it changed since it was looked at");
    }
    const auto& planned = plan_.entries[index++];
    if (planned.target == kNoTarget) continue;
    if (planned.type == EntryType::File) {
      progress.step("Please wait- unpacking: " + displayName(planned.name), ++filesDone);
    }
    if (auto problem = unpackEntry(reader, planned); !problem.empty()) return problem;
  }
  if (reader.failed()) return reader.failure();
  if (index != plan_.entries.size()) return refusal("it changed since it was looked at");
  return {};
}

std::string ArchiveUnpacker::unpackEntry(EntryReader& reader, const PlannedEntry& planned) {
  const auto target = placeOf(staging_, planned.target);
  const auto place = planned.relative.empty() ? target : target / planned.relative;
  const auto folder = planned.type == EntryType::Folder ? place : place.parent_path();
  if (auto ec = makeFolders(folder)) {
    return describeFailure("create the folder",
                           plan_.targets[planned.target].path / planned.relative, ec);
  }
  if (planned.type == EntryType::Folder) return {};
  return writeFile(reader, planned, place);
}

std::string ArchiveUnpacker::writeFile(EntryReader& reader, const PlannedEntry& planned,
                                       const fs::path& place) {
  // Messages name the file where it was to appear, not its staging place.
  const auto shownPlace = plan_.targets[planned.target].path / planned.relative;
  NewFileStream out(place);
  if (out.error()) return describeFailure("write", shownPlace, out.error());
  std::uint64_t written = 0;
  std::string stop;
  const bool read = reader.readData([&](std::string_view bytes) {
    written += bytes.size();
    unpackedBytes_ += bytes.size();
    if (planned.size && written > *planned.size) {
      stop = refusal(quotedName(planned.name) + " holds more bytes than the archive claims");
    } else if (auto problem = unpackedSizeProblem(unpackedBytes_, plan_.archiveBytes, limits_);
               !problem.empty()) {
      stop = refusal(problem);
    } else if (auto ec = out.write(bytes)) {
      stop = describeFailure("write", shownPlace, ec);
    }
    return stop.empty();
  });
  if (!read) return reader.failure();
  if (!stop.empty()) return stop;
  if (planned.size && written != *planned.size) {
    return refusal(quotedName(planned.name) + " holds fewer bytes than the archive claims");
  }
  if (auto ec = out.close()) return describeFailure("write", shownPlace, ec);
  return {};
}

// Makes `folder` and the folders on its way below the staging folder.
std::error_code ArchiveUnpacker::makeFolders(const fs::path& folder) {
  if (madeFolders_.contains(pathKey(folder))) return {};
  if (auto ec = makeFolders(folder.parent_path())) return ec;
  auto ec = makeOneFolder(folder);
  if (ec == std::errc::file_exists) {
    std::error_code kindEc;
    ec = entryKind(folder, kindEc) == EntryKind::Folder
             ? std::error_code()
             : std::make_error_code(std::errc::not_a_directory);
  }
  if (!ec) madeFolders_.insert(pathKey(folder));
  return ec;
}

std::string ArchiveUnpacker::refusal(std::string_view reason) const {
  return "Nothing was installed from " + displayPath(plan_.archive) + ": " + std::string(reason) +
         ".";
}

}  // namespace kvo
