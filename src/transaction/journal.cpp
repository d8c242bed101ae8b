#include "transaction/journal.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <random>
#include <utility>

#include "platform/entry_ops.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHeader = "KVO selector file transaction 1";
constexpr std::string_view kEnd = "\r\n";
constexpr std::size_t kIdLength = 16;

struct KindWord {
  StepKind kind;
  std::string_view word;
};
constexpr std::array<KindWord, 5> kKindWords = {{{StepKind::Copy, "copy"},
                                                 {StepKind::Remove, "delete"},
                                                 {StepKind::Rename, "rename"},
                                                 {StepKind::Replace, "write"},
                                                 {StepKind::CreateFolder, "folder"}}};

// A copy step whose new file is a hard link of its source where possible.
constexpr std::string_view kLinkWord = "link";

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

std::string hex64(std::uint64_t value) {
  std::string text(16, '0');
  for (std::size_t i = 16; i-- > 0; value >>= 4) text[i] = kHexDigits[value & 0xF];
  return text;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::uint64_t> readHex64(std::string_view text) {
  if (text.size() != 16) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    const int digit = hexValue(c);
    if (digit < 0 || (c >= 'A' && c <= 'F')) return std::nullopt;
    value = (value << 4) | static_cast<std::uint64_t>(digit);
  }
  return value;
}

std::optional<std::uint64_t> readDecimal(std::string_view text) {
  if (text.empty() || text.size() > 19 || (text.size() > 1 && text[0] == '0')) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

void appendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '%' || byte < 0x20 || byte == 0x7F) {
      out += '%';
      out += kUpperHexDigits[byte >> 4];
      out += kUpperHexDigits[byte & 0xF];
    } else {
      out += c;
    }
  }
}

std::optional<std::string> unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (text.size() - i < 3) return std::nullopt;
    const int high = hexValue(text[i + 1]);
    const int low = hexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

bool pathField(const fs::path& path, std::string& line) {
  std::string text;
  if (!pathToJournalText(path, text)) return false;
  line += '\t';
  appendEscaped(line, text);
  return true;
}

// A journal names many thousand sources: on Linux their text goes in as it is, without
// taking each apart.
bool pathField(const fs::path::string_type& path, std::string& line) {
#ifdef _WIN32
  return pathField(fs::path(path), line);
#else
  line += '\t';
  appendEscaped(line, path);
  return true;
#endif
}

// A name below the game folder: relative, without "." or ".." that could lead out of it.
bool isPlainRelative(const fs::path& path) {
  if (path.empty() || path.has_root_name() || path.has_root_directory()) return false;
  for (const auto& part : path) {
    if (part.empty() || part == "." || part == "..") return false;
  }
  return true;
}

std::optional<fs::path> readPath(std::string_view field, bool relative) {
  const auto text = unescape(field);
  if (!text) return std::nullopt;
  auto path = pathFromJournalText(*text);
  if (!path) return std::nullopt;
  if (relative ? !isPlainRelative(*path) : !path->is_absolute()) return std::nullopt;
  return path;
}

bool appendStep(const JournalStep& step, std::string& line) {
  for (const auto& [kind, word] : kKindWords) {
    if (kind == step.kind && !(step.kind == StepKind::Copy && step.link)) line += word;
  }
  if (step.kind == StepKind::Copy && step.link) line += kLinkWord;
  line += step.bestEffort ? "\ttry" : "\tmust";
  line += step.targetExisted ? "\told" : "\tnew";
  if (!pathField(step.target, line)) return false;
  if (step.kind == StepKind::Copy || step.kind == StepKind::Rename) {
    if (!pathField(step.source, line)) return false;
  } else if (step.kind == StepKind::Replace) {
    line += '\t' + std::to_string(step.size) + '\t' + hex64(step.hash);
  }
  return true;
}

std::optional<JournalStep> readStep(std::string_view line) {
  const auto fields = splitAt(line, '\t');
  if (fields.size() < 4) return std::nullopt;
  JournalStep step;
  bool known = false;
  for (const auto& [kind, word] : kKindWords) {
    if (word == fields[0]) {
      step.kind = kind;
      known = true;
    }
  }
  if (fields[0] == kLinkWord) {
    step.kind = StepKind::Copy;
    step.link = true;
    known = true;
  }
  if (!known || (fields[1] != "must" && fields[1] != "try")) return std::nullopt;
  if (fields[2] != "old" && fields[2] != "new") return std::nullopt;
  step.bestEffort = fields[1] == "try";
  step.targetExisted = fields[2] == "old";
  auto target = readPath(fields[3], true);
  if (!target) return std::nullopt;
  step.target = std::move(*target);
  const bool withSource = step.kind == StepKind::Copy || step.kind == StepKind::Rename;
  const std::size_t expected = withSource ? 5 : step.kind == StepKind::Replace ? 6 : 4;
  if (fields.size() != expected) return std::nullopt;
  if (withSource) {
    auto source = readPath(fields[4], step.kind == StepKind::Rename);
    if (!source) return std::nullopt;
    // Held as text, so in the system's own spelling, as the transaction that wrote it held it.
    step.source = source->make_preferred().native();
  } else if (step.kind == StepKind::Replace) {
    const auto size = readDecimal(fields[4]);
    const auto hash = readHex64(fields[5]);
    if (!size || !hash) return std::nullopt;
    step.size = *size;
    step.hash = *hash;
  }
  return step;
}

bool isIdDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

bool isId(std::string_view text) {
  if (text.size() != kIdLength) return false;
  for (const char c : text) {
    if (!isIdDigit(c)) return false;
  }
  return true;
}

// Cuts the bytes into whole CR LF lines; a last line without its ending was never finished.
class LineReader final {
 public:
  explicit LineReader(std::string_view bytes) : bytes_(bytes) {}
  std::optional<std::string_view> next() {
    const auto end = bytes_.find(kEnd, offset_);
    if (end == std::string_view::npos) return std::nullopt;
    lineStart_ = offset_;
    const auto line = bytes_.substr(offset_, end - offset_);
    offset_ = end + kEnd.size();
    return line;
  }
  // Every byte before the line last returned.
  std::string_view before() const { return bytes_.substr(0, lineStart_); }

 private:
  std::string_view bytes_;
  std::size_t offset_ = 0;
  std::size_t lineStart_ = 0;
};

bool isEnd(std::string_view line, std::size_t steps, std::string_view before) {
  const auto fields = splitAt(line, '\t');
  if (fields.size() != 3 || fields[0] != "end") return false;
  const auto count = readDecimal(fields[1]);
  const auto hash = readHex64(fields[2]);
  return count && hash && *count == steps && *hash == journalHash(before);
}

// Whether the bytes are the start of a journal's first two lines and stop before the id line
// ends: what a writer killed right after creating the file leaves.
bool cutBeforeId(std::string_view bytes) {
  const std::string lead = std::string(kHeader) + std::string(kEnd) + "id\t";
  const std::size_t whole = lead.size() + kIdLength + kEnd.size();
  if (bytes.size() >= whole) return false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (i < lead.size()) {
      if (c != lead[i]) return false;
    } else if (i < lead.size() + kIdLength) {
      if (!isIdDigit(c)) return false;
    } else if (c != kEnd[i - lead.size() - kIdLength]) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<std::string> formatJournal(const Journal& journal) {
  std::string text(kHeader);
  // Room for every line at once: the journal of a big load is megabytes.
  std::size_t room = 128;
  for (const auto& step : journal.steps) {
    room += 32 + step.target.native().size() + step.source.size();
  }
  text.reserve(room);
  text += kEnd;
  text += "id\t" + journal.id;
  text += kEnd;
  for (const auto& step : journal.steps) {
    if (!appendStep(step, text)) return std::nullopt;
    text += kEnd;
  }
  const auto hash = journalHash(text);
  text += "end\t" + std::to_string(journal.steps.size()) + '\t' + hex64(hash);
  text += kEnd;
  return text;
}

std::string committedMark(std::string_view id) {
  return "committed\t" + std::string(id) + std::string(kEnd);
}

JournalReading readJournal(std::string_view bytes) {
  JournalReading reading;
  if (cutBeforeId(bytes)) {
    reading.state = JournalState::CutBeforeId;
    return reading;
  }
  LineReader lines(bytes);
  const auto header = lines.next();
  if (!header || *header != kHeader) return reading;
  const auto idLine = lines.next();
  if (!idLine || !idLine->starts_with("id\t") || !isId(idLine->substr(3))) return reading;
  reading.journal.id = std::string(idLine->substr(3));
  reading.state = JournalState::Truncated;
  while (const auto line = lines.next()) {
    if (isEnd(*line, reading.journal.steps.size(), lines.before())) {
      reading.state = JournalState::Complete;
      const auto mark = lines.next();
      if (mark && std::string(*mark) + std::string(kEnd) == committedMark(reading.journal.id)) {
        reading.state = JournalState::Committed;
      }
      return reading;
    }
    auto step = readStep(*line);
    if (!step) return reading;
    reading.journal.steps.push_back(std::move(*step));
  }
  return reading;
}

std::uint64_t journalHash(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

std::string newTransactionId() {
  std::random_device random;
  std::uint64_t value = (static_cast<std::uint64_t>(random()) << 32) ^ random();
  value ^= static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  value ^= static_cast<std::uint64_t>(processNumber()) << 40;
  return hex64(value);
}

namespace {

// Long names are cut so that the suffix still fits the system's limit of 255 characters
// per name; the index keeps two cut names apart.
fs::path besideTarget(const fs::path& target, std::string_view id, std::size_t index,
                      std::string_view ending) {
  const fs::path suffix(std::string(".") + std::string(id) + "-" + std::to_string(index) +
                        std::string(ending));
  // Worked out on the text: a load builds two of these for each of thousands of files.
  const auto& text = target.native();
#ifdef _WIN32
  const auto cut = text.find_last_of(L"/\\");
#else
  const auto cut = text.find_last_of('/');
#endif
  const std::size_t nameStart = cut == fs::path::string_type::npos ? 0 : cut + 1;
  fs::path::string_type beside = text.substr(0, nameStart);
  const std::size_t room = 250 - suffix.native().size();
  beside.append(text, nameStart, std::min(text.size() - nameStart, room));
  beside += suffix.native();
  return fs::path(std::move(beside));
}

}  // namespace

fs::path asidePath(const fs::path& target, std::string_view id, std::size_t index) {
  return besideTarget(target, id, index, ".kvo-old");
}

fs::path newFilePath(const fs::path& target, std::string_view id, std::size_t index) {
  return besideTarget(target, id, index, ".kvo-new");
}

}  // namespace kvo
