#include "state/history.h"

#include <ctime>

#include "platform/listing.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// Where each entry of `history` begins: at a line that does not begin with a tab.
std::vector<std::size_t> entryStarts(std::string_view history) {
  std::vector<std::size_t> starts;
  std::size_t at = 0;
  while (at < history.size()) {
    if (history[at] != '\t' && history[at] != '\r' && history[at] != '\n') starts.push_back(at);
    const auto end = history.find('\n', at);
    if (end == std::string_view::npos) break;
    at = end + 1;
  }
  return starts;
}

}  // namespace

fs::path historyPath(const FormState& state) {
  return resolveNoCase(state.SelectorDir, kHistoryName);
}

std::string historyTime() {
  const std::time_t now = std::time(nullptr);
  // One thread changes files, so the shared buffer of localtime is ours while we read it.
  const std::tm* local = std::localtime(&now);
  char text[32] = {};
  if (!local || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local) == 0) return "?";
  return text;
}

std::string historyEntry(std::string_view time, std::string_view action, const Changes& changes) {
  const auto lines = changes.lines();
  const auto counts = changes.counts();
  // The entry of a change of thousands of files is built in one piece of room.
  std::size_t room = time.size() + action.size() + counts.size() + 4;
  for (const auto& line : lines) room += line.size() + 3;
  std::string entry;
  entry.reserve(room);
  entry += time;
  entry += '\t';
  entry += action;
  entry += '\t';
  entry += counts;
  entry += "\r\n";
  for (const auto& line : lines) {
    entry += '\t';
    entry += line;
    entry += "\r\n";
  }
  return entry;
}

std::string withHistoryEntry(std::string_view history, std::string_view entry) {
  const auto starts = entryStarts(history);
  std::size_t first = starts.size() >= kHistoryKept ? starts.size() - kHistoryKept + 1 : 0;
  while (first < starts.size() &&
         history.size() - starts[first] + entry.size() > kHistoryMaxBytes) {
    ++first;
  }
  const std::size_t keepFrom = first < starts.size() ? starts[first] : history.size();
  const auto older = history.substr(keepFrom);
  // Half a megabyte is copied once, into room made for all of it.
  std::string kept;
  kept.reserve(older.size() + 2 + entry.size());
  kept += older;
  if (!kept.empty() && kept.back() != '\n') kept += "\r\n";
  kept += entry;
  return kept;
}

std::vector<std::vector<std::string>> lastHistoryEntries(std::string_view history,
                                                         std::size_t count) {
  auto starts = entryStarts(history);
  if (starts.size() > count)
    starts.erase(starts.begin(), starts.end() - static_cast<std::ptrdiff_t>(count));
  std::vector<std::vector<std::string>> entries;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const auto end = i + 1 < starts.size() ? starts[i + 1] : history.size();
    entries.push_back(splitLines(history.substr(starts[i], end - starts[i])));
  }
  return entries;
}

}  // namespace kvo
