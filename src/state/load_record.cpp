#include "state/load_record.h"

#include "platform/entry_ops.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/path_guard.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "state/game_change.h"
#include "transaction/transaction.h"

namespace kvo {
namespace fs = std::filesystem;

std::vector<std::string> loadedSelection(const FormState& st) {
  std::vector<std::string> names;
  for (int r = 1; r < st.Unigrid.rows(); ++r) {
    if (st.Unigrid.text(r, 2) == "S") names.push_back(st.Unigrid.text(r, 1));
  }
  for (int r = 1; r < st.SK1.rows(); ++r) {
    if (st.SK1.text(r, 1) == "S") names.push_back(st.SK1.text(r, 0));
  }
  if (st.Frame6Visible) {
    for (int r = 1; r < st.G1.rows(); ++r) {
      if (st.G1.text(r, 4) == "S") names.push_back(st.G1.text(r, 0));
    }
  }
  return names;
}

fs::path LoadRecord::path() const {
  return resolveNoCase(state_.SelectorDir, "FoldersLoaded.txt");
}

void LoadRecord::createWhenMissing(Problems& problems) {
  const auto file = path();
  if (fileExists(file)) return;
  // A FIFO or a device in its place is not replaced; a link is refused by the writing.
  std::error_code kindEc;
  if (entryKind(file, kindEc) == EntryKind::Other) {
    problems.add(describeFailure("read", file, Refusal::NotRegularFile));
    return;
  }
  if (auto ec = replaceFileAtomically(file, "")) {
    problems.add(describeFailure("create", file, ec));
  }
}

std::vector<std::string> LoadRecord::names(Problems& problems) const {
  std::vector<std::string> found;
  for (auto& line : readTextLinesNoting(path(), problems, read_limit::kLoadRecord)) {
    if (!line.empty()) found.push_back(std::move(line));
  }
  return found;
}

std::vector<std::string> LoadRecord::replay(const std::vector<std::string>& names,
                                            const ReplayMarkers& markers) {
  std::vector<bool> matched(names.size(), false);
  for (const auto* marker : {&markers.folder, &markers.skin, &markers.plane}) {
    if (!*marker) continue;
    for (std::size_t i = 0; i < names.size(); ++i) {
      if ((*marker)(names[i])) matched[i] = true;
    }
  }
  std::vector<std::string> unmatched;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!matched[i]) unmatched.push_back(names[i]);
  }
  return unmatched;
}

void LoadRecord::RecordLoadedFolders() {
  if (!state_.GridReady) return;
  showSelection(selectionText());
  if (batchDepth_ > 0) {
    pending_ = true;
    return;
  }
  write();
  if (!lastFailure_.empty()) shell_.message(lastFailure_, Icon::Critical, "KVO");
}

std::string LoadRecord::selectionText() const {
  std::string text;
  for (const auto& name : loadedSelection(state_)) text += name + "\r\n";
  return text;
}

void LoadRecord::showSelection(const std::string& text) {
  state_.Label8 = text;
  state_.Text2 = text;
  state_.Label8Visible = !text.empty();
}

bool LoadRecord::holdsSelection() const {
  std::error_code ec;
  const auto bytes = readFileBytes(path(), ec, read_limit::kLoadRecord);
  return bytes && *bytes == selectionText() + "\r\n";
}

void LoadRecord::write() {
  pending_ = false;
  const auto file = path();
  // The whole list goes out as one line, so the file always ends with an extra empty line.
  // Through a transaction of its own, so that an interrupted write is finished at the next
  // start like any other change.
  FileTransaction transaction(state_.GameDir, journalPath(state_));
  transaction.replaceWith(file, selectionText() + "\r\n");
  const auto report = transaction.commit();
  if (report.ok()) transaction.finish();
  ++writes_;
  lastFailure_.clear();
  if (!report.ok()) {
    lastFailure_ = report.failure +
                   "\r\nThe game folder holds the files of this change, but FoldersLoaded.txt "
                   "still names the selection from before it.";
  }
}

LoadRecord::Batch::Batch(LoadRecord& record) : record_(record) {
  ++record_.batchDepth_;
}

LoadRecord::Batch::~Batch() {
  if (--record_.batchDepth_ > 0 || !record_.pending_) return;
  // The changes inside the batch wrote the record with their files already.
  if (record_.holdsSelection()) {
    record_.pending_ = false;
    return;
  }
  record_.write();
  if (!record_.lastFailure_.empty()) {
    record_.shell_.message(record_.lastFailure_, Icon::Critical, "KVO");
  }
}

}  // namespace kvo
