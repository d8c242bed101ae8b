#include "app/reset_all.h"

#include "engine/clean_up.h"
#include "planes/alt_planes.h"
#include "planes/skin_panel.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/text_file.h"
#include "state/core.h"

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
  planes_.forgetRows();
  auto failures = CleanUp(s_.gameFolder(), st.SelectorDir);
  st.Label8.clear();
  emptyLoadRecord(failures);
  s_.shell.setCaption(savedCaption);
  st.Text2.clear();
  st.GridReady = true;
  st.List1.index = 1;
  skins_.FilterGrids(1);
  st.Frame6Visible = false;
  restoreSpareExe(failures);
  failures.report(s_.shell, "Reset All could not do everything:", Icon::Critical);
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
    skins_.ApplySkinRow();
    grid.setText(r, 1, "");
  }
}

void ResetAll::emptyLoadRecord(Problems& failures) {
  const auto record = s_.record.path();
  if (auto ec = replaceFileAtomically(record, "")) {
    failures.add(describeFailure("empty", record, ec));
  }
}

void ResetAll::restoreSpareExe(Problems& failures) {
  const auto& st = s_.state;
  const auto spare = findNoCase(st.SelectorDir, "eaw.exe");
  if (!spare || !fileExists(*spare)) return;
  const auto target = s_.gameFolder().resolve("eaw.exe");
  if (auto ec = copyFileOver(*spare, target)) {
    failures.add(describeFailure("copy", *spare, ec));
  }
}

void ResetAll::delmsn_Click() {
  const auto saveDir = resolveNoCase(s_.state.GameDir, "savedata");
  Problems failures;
  // Each file is tried once: listing again after a failed delete would never end.
  for (const auto& name : listFiles(saveDir, "Default*.msn")) {
    const auto file = saveDir / nameToPath(name);
    if (auto ec = deleteFile(file)) failures.add(describeFailure("delete", file, ec));
  }
  failures.report(s_.shell, "Del MSN could not delete every default mission:", Icon::Critical);
}

}  // namespace kvo
