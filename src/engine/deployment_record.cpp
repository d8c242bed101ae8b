#include "engine/deployment_record.h"

#include <algorithm>

#include "engine/mod_files.h"
#include "platform/listing.h"
#include "platform/text_file.h"

namespace kvo {

namespace {

constexpr std::string_view kHeader = "KVO files loaded, version 1";
constexpr std::string_view kLegend =
    "# file, then what loading found in its place (- nothing, game: a game file that is gone, "
    "kept: a game file kept in \"KVO Originals\"), then the folders that provide it, the one "
    "in place last";

std::optional<Original> originalFrom(std::string_view token) {
  if (token == "-") return Original::None;
  if (token == "game") return Original::Replaced;
  if (token == "kept") return Original::Kept;
  return std::nullopt;
}

std::string_view tokenOf(Original original) {
  switch (original) {
    case Original::Replaced:
      return "game";
    case Original::Kept:
      return "kept";
    case Original::None:
      break;
  }
  return "-";
}

// A path of the record stays below the game folder: no root, no drive, no step back up.
bool recordablePath(std::string_view file) {
  const auto parts = splitAt(file, '\\');
  return std::all_of(parts.begin(), parts.end(), recordableName);
}

// The entry one line of the record gives, or nothing when the line is no entry.
std::optional<DeployedFile> entryOfLine(std::string_view line) {
  const auto fields = splitAt(line, '\t');
  if (fields.size() < 3 || !recordablePath(fields[0]) || !deployablePath(fields[0])) {
    return std::nullopt;
  }
  const auto original = originalFrom(fields[1]);
  if (!original) return std::nullopt;
  DeployedFile file{std::string(fields[0]), *original, {}};
  for (std::size_t f = 2; f < fields.size(); ++f) {
    if (recordableName(fields[f])) file.providers.emplace_back(fields[f]);
  }
  if (file.providers.empty()) return std::nullopt;
  return file;
}

}  // namespace

bool deployablePath(std::string_view file) {
  const auto parts = splitAt(file, '\\');
  const auto name = parts.back();
  if (staysInModFolder(name)) return false;
  const auto where = loadTarget(name);
  if (parts.size() == 1) return where == GameTarget::GameFolder;
  if (parts.size() != 2) return false;
  return (where == GameTarget::Savedata && equalsNoCase(parts[0], "Savedata")) ||
         (where == GameTarget::Music && equalsNoCase(parts[0], "Music"));
}

bool isSaveName(std::string_view name) {
  return name.size() >= 4 && equalsNoCase(name.substr(name.size() - 4), ".SVE");
}

std::string recordKey(std::string_view file) {
  return toUpperAscii(file);
}

std::string_view recordFileName(std::string_view file) {
  const auto slash = file.rfind('\\');
  return slash == std::string_view::npos ? file : file.substr(slash + 1);
}

bool recordableName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of("\\/:\t\r\n") == std::string_view::npos;
}

std::optional<DeploymentRecord> DeploymentRecord::parse(std::string_view bytes) {
  // Line by line without a copy of each: a record of a million files stays near its size.
  std::size_t start = 0;
  bool first = true;
  DeploymentRecord record;
  while (start < bytes.size() || first) {
    auto end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    const auto line = bytes.substr(start, end - start);
    start = end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1);
    if (first) {
      if (line != kHeader) return std::nullopt;
      first = false;
      continue;
    }
    if (line.empty() || line.front() == '#') continue;
    auto file = entryOfLine(line);
    if (!file || record.find(file->file)) {
      record.dropped_.emplace_back(line);
      continue;
    }
    record.entry(file->file) = std::move(*file);
  }
  return record;
}

std::string DeploymentRecord::text() const {
  std::string text;
  text.reserve(64 + files_.size() * 48);
  text.append(kHeader).append("\r\n").append(kLegend).append("\r\n");
  // In file order, so that the same selection reads the same whatever order it was loaded in.
  std::vector<const DeployedFile*> sorted;
  sorted.reserve(files_.size());
  for (const auto& file : files_) sorted.push_back(&file);
  std::sort(sorted.begin(), sorted.end(), [](const DeployedFile* a, const DeployedFile* b) {
    return recordKey(a->file) < recordKey(b->file);
  });
  for (const auto* entry : sorted) {
    const auto& file = *entry;
    if (file.providers.empty()) continue;
    text.append(file.file).append("\t").append(tokenOf(file.original));
    for (const auto& provider : file.providers) text.append("\t").append(provider);
    text.append("\r\n");
  }
  return text;
}

DeployedFile* DeploymentRecord::find(std::string_view file) {
  const auto found = index_.find(recordKey(file));
  return found == index_.end() ? nullptr : &files_[found->second];
}

const DeployedFile* DeploymentRecord::find(std::string_view file) const {
  const auto found = index_.find(recordKey(file));
  return found == index_.end() ? nullptr : &files_[found->second];
}

DeployedFile& DeploymentRecord::entry(std::string_view file) {
  const auto [found, isNew] = index_.emplace(recordKey(file), files_.size());
  if (isNew) files_.push_back({std::string(file), Original::None, {}});
  return files_[found->second];
}

void DeploymentRecord::dropUnprovided() {
  std::erase_if(files_, [](const DeployedFile& file) { return file.providers.empty(); });
  reindex();
}

void DeploymentRecord::withdraw(std::string_view folder) {
  for (auto& file : files_) std::erase(file.providers, folder);
}

bool DeploymentRecord::provides(std::string_view folder) const {
  return std::any_of(files_.begin(), files_.end(), [&](const DeployedFile& file) {
    return std::find(file.providers.begin(), file.providers.end(), folder) != file.providers.end();
  });
}

void DeploymentRecord::reindex() {
  index_.clear();
  for (std::size_t i = 0; i < files_.size(); ++i) index_.emplace(recordKey(files_[i].file), i);
}

}  // namespace kvo
