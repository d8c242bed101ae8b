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
    if (recordableProvider(fields[f])) file.providers.emplace_back(fields[f]);
  }
  if (file.providers.empty()) return std::nullopt;
  return file;
}

std::size_t hashNoCase(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const char c : text) {
    const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    hash = (hash ^ static_cast<unsigned char>(upper)) * 1099511628211ull;
  }
  return static_cast<std::size_t>(hash ^ (hash >> 32));
}

char upperOf(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// recordKey(a) < recordKey(b) without making either: a record of many thousand files is
// sorted with a million comparisons.
bool keyLess(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto ca = static_cast<unsigned char>(upperOf(a[i]));
    const auto cb = static_cast<unsigned char>(upperOf(b[i]));
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
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

namespace {

constexpr std::string_view kSkinTag = "skin:";
constexpr std::string_view kPatchTag = "patch:";
constexpr std::string_view kLeftTag = "left:";

std::string hashText(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) text[static_cast<std::size_t>(i)] = kDigits[hash & 15];
  return text;
}

// "patch:HASH:OWNER" split in its hash and owner; nothing for another provider.
std::optional<std::pair<std::string_view, std::string_view>> patchParts(std::string_view provider) {
  if (!provider.starts_with(kPatchTag)) return std::nullopt;
  const auto rest = provider.substr(kPatchTag.size());
  const auto colon = rest.find(':');
  if (colon != 16) return std::nullopt;
  return std::pair{rest.substr(0, colon), rest.substr(colon + 1)};
}

}  // namespace

std::string skinProvider(std::string_view skin) {
  return std::string(kSkinTag) + std::string(skin);
}

std::string_view skinOf(std::string_view provider) {
  return provider.starts_with(kSkinTag) ? provider.substr(kSkinTag.size()) : std::string_view{};
}

std::string patchProvider(std::string_view owner, std::string_view bytes) {
  return std::string(kPatchTag) + hashText(bytes) + ":" + std::string(owner);
}

std::string_view patchOwner(std::string_view provider) {
  const auto parts = patchParts(provider);
  return parts ? parts->second : std::string_view{};
}

bool patchHolds(std::string_view provider, std::string_view bytes) {
  const auto parts = patchParts(provider);
  return parts && parts->first == hashText(bytes);
}

bool providedBy(std::string_view provider, std::string_view folder) {
  return provider == folder || patchOwner(provider) == folder;
}

std::string leftProvider(std::string_view provider) {
  return std::string(kLeftTag) + std::string(baseProvider(provider));
}

std::string_view baseProvider(std::string_view provider) {
  return provider.starts_with(kLeftTag) ? provider.substr(kLeftTag.size()) : provider;
}

bool recordableProvider(std::string_view provider) {
  if (recordableName(provider)) return true;
  if (provider.starts_with(kLeftTag)) {
    const auto base = baseProvider(provider);
    return !base.starts_with(kLeftTag) && recordableProvider(base);
  }
  if (const auto skin = skinOf(provider); !skin.empty()) return recordableName(skin);
  const auto owner = patchOwner(provider);
  return !owner.empty() && recordableName(owner);
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
  std::sort(sorted.begin(), sorted.end(),
            [](const DeployedFile* a, const DeployedFile* b) { return keyLess(a->file, b->file); });
  for (const auto* entry : sorted) {
    const auto& file = *entry;
    if (file.providers.empty()) continue;
    text.append(file.file).append("\t").append(tokenOf(file.original));
    for (const auto& provider : file.providers) text.append("\t").append(provider);
    text.append("\r\n");
  }
  return text;
}

std::optional<std::size_t> DeploymentRecord::indexOf(std::string_view file) const {
  if (slots_.empty()) return std::nullopt;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = hashNoCase(file) & mask; slots_[slot] != 0; slot = (slot + 1) & mask) {
    const std::size_t index = slots_[slot] - 1;
    if (equalsNoCase(files_[index].file, file)) return index;
  }
  return std::nullopt;
}

void DeploymentRecord::place(std::size_t index) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = hashNoCase(files_[index].file) & mask;
  while (slots_[slot] != 0) slot = (slot + 1) & mask;
  slots_[slot] = static_cast<std::uint32_t>(index + 1);
}

DeployedFile* DeploymentRecord::find(std::string_view file) {
  const auto index = indexOf(file);
  return index ? &files_[*index] : nullptr;
}

const DeployedFile* DeploymentRecord::find(std::string_view file) const {
  const auto index = indexOf(file);
  return index ? &files_[*index] : nullptr;
}

DeployedFile& DeploymentRecord::entry(std::string_view file) {
  if (const auto index = indexOf(file)) return files_[*index];
  files_.push_back({std::string(file), Original::None, {}});
  if (2 * files_.size() > slots_.size()) {
    reindex();
  } else {
    place(files_.size() - 1);
  }
  return files_.back();
}

void DeploymentRecord::dropUnprovided() {
  if (std::erase_if(files_, [](const DeployedFile& file) { return file.providers.empty(); }) > 0) {
    reindex();
  }
}

void DeploymentRecord::withdraw(std::string_view folder) {
  for (auto& file : files_) {
    std::erase_if(file.providers, [&](const std::string& p) { return providedBy(p, folder); });
  }
}

bool DeploymentRecord::provides(std::string_view folder) const {
  return std::any_of(files_.begin(), files_.end(), [&](const DeployedFile& file) {
    return std::find(file.providers.begin(), file.providers.end(), folder) != file.providers.end();
  });
}

void DeploymentRecord::reindex() {
  std::size_t size = 16;
  while (size < 2 * files_.size() + 2) size *= 2;
  slots_.assign(size, 0);
  for (std::size_t i = 0; i < files_.size(); ++i) place(i);
}

}  // namespace kvo
