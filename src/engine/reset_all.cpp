#include "engine/reset_all.h"

#include "app/selector.h"
#include "engine/clean_up.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

void ResetAll::Command1_Click() {
  auto& st = s_.state;
  st.Label8.clear();
  st.Label8Visible = false;
  const std::string savedCaption = st.caption;
  st.GridReady = true;
  s_.shell.setCaption("Please wait... cleaning up");
  unmarkFolders();
  unloadSkins();
  s_.planes.forgetRows();
  auto failures = CleanUp(st.GameDir, st.SelectorDir);
  st.Label8.clear();
  emptyLoadRecord(failures);
  s_.shell.setCaption(savedCaption);
  st.Text2.clear();
  st.GridReady = true;
  st.List1.index = 1;
  s_.skins.FilterGrids(1);
  st.Frame6Visible = false;
  restoreSpareExe(failures);
  report(failures);
}

void ResetAll::unmarkFolders() {
  auto& grid = s_.state.Unigrid;
  grid.col = 1;
  for (int r = 1; r < grid.rows(); ++r) {
    for (int c = 0; c < grid.cols(); ++c) grid.setBack(r, c, s_.state.DefaultCellColour);
    if (grid.text(r, 2) == "S") grid.setText(r, 2, "");
  }
}

// Each loaded skin is unloaded through its own double-click action, so that its files leave
// the game folder by the same rule as always.
void ResetAll::unloadSkins() {
  auto& grid = s_.state.SK1;
  for (int r = 1; r < grid.rows(); ++r) {
    if (grid.text(r, 1) != "S") continue;
    grid.row = r;
    s_.skins.ApplySkinRow();
    grid.setText(r, 1, "");
  }
}

void ResetAll::emptyLoadRecord(std::vector<std::string>& failures) {
  const auto record = resolveNoCase(s_.state.SelectorDir, "FoldersLoaded.txt");
  if (auto ec = replaceFileAtomically(record, "")) {
    failures.push_back(describeFailure("empty", record, ec));
  }
}

void ResetAll::restoreSpareExe(std::vector<std::string>& failures) {
  const auto& st = s_.state;
  const auto spare = findNoCase(st.SelectorDir, "eaw.exe");
  if (!spare || !fileExists(*spare)) return;
  const auto target = resolveNoCase(st.GameDir, "eaw.exe");
  if (auto ec = copyFileOver(*spare, target)) {
    failures.push_back(describeFailure("copy", *spare, ec));
  }
}

void ResetAll::report(const std::vector<std::string>& failures) {
  if (failures.empty()) return;
  std::string text = "Reset All could not do everything:\r\n";
  for (const auto& failure : failures) text += "\r\n" + failure;
  s_.shell.message(text, Icon::Critical, "KVO");
}

void ResetAll::delmsn_Click() {
  const auto saveDir = resolveNoCase(s_.state.GameDir, "savedata");
  std::vector<std::string> failures;
  // Each file is tried once: listing again after a failed delete would never end.
  for (const auto& name : listFiles(saveDir, "Default*.msn")) {
    const auto file = saveDir / nameToPath(name);
    if (auto ec = deleteFile(file)) failures.push_back(describeFailure("delete", file, ec));
  }
  if (failures.empty()) return;
  std::string text = "Del MSN could not delete every default mission:\r\n";
  for (const auto& failure : failures) text += "\r\n" + failure;
  s_.shell.message(text, Icon::Critical, "KVO");
}

}  // namespace kvo
