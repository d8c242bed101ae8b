#include "engine/deployment_record.h"

#include <algorithm>

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

}  // namespace

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
  const auto lines = splitLines(bytes);
  if (lines.empty() || lines.front() != kHeader) return std::nullopt;
  DeploymentRecord record;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const auto& line = lines[i];
    if (line.empty() || line.front() == '#') continue;
    const auto fields = splitAt(line, '\t');
    if (fields.size() < 3 || !recordablePath(fields[0])) continue;
    const auto original = originalFrom(fields[1]);
    if (!original || record.find(fields[0])) continue;
    DeployedFile file{std::string(fields[0]), *original, {}};
    for (std::size_t f = 2; f < fields.size(); ++f) {
      if (recordableName(fields[f])) file.providers.emplace_back(fields[f]);
    }
    if (file.providers.empty()) continue;
    record.entry(file.file) = std::move(file);
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
