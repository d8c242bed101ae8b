#include <string>
#include <vector>

#include "app/category_table.h"
#include "app/plane_codes.h"
#include "app/selector.h"
#include "platform/file_ops.h"
#include "platform/instance_lock.h"
#include "platform/listing.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// Creates `dir`/`name` unless a subfolder of that name exists in any letter case.
void ensureSubfolder(const fs::path& dir, const std::vector<std::string>& existing,
                     std::string_view name, std::vector<std::string>& problems) {
  for (const auto& folder : existing) {
    if (equalsNoCase(folder, name)) return;
  }
  if (auto ec = createFolder(dir / name)) {
    problems.push_back(describeFailure("create the folder", dir / name, ec));
  }
}

std::string joinProblems(const std::vector<std::string>& problems) {
  std::string text = "Start-up could not do everything:\r\n";
  for (const auto& problem : problems) text += "\r\n" + problem;
  return text;
}

}  // namespace

StartupOutcome Selector::startUp(const fs::path& requestedGameDir, ScreenSize screen) {
  // Paths in the grids and messages stay meaningful whatever folder a launched program or
  // a later command runs in.
  std::error_code absoluteError;
  fs::path gameDir = fs::absolute(requestedGameDir, absoluteError);
  if (absoluteError) gameDir = requestedGameDir;
  lock_ = InstanceLock::acquire(gameDir);
  if (!lock_) {
    state.caption = "... duplicate instance.";
    shell.setCaption(state.caption);
    shell.message(kDuplicateInstanceText, Icon::Exclamation, kDuplicateInstanceTitle);
    return StartupOutcome::DuplicateInstance;
  }
  // The game folder is the player's installation: a mistyped path must not become a new,
  // empty one.
  if (!folderExists(gameDir)) {
    shell.message("There is no game folder " + displayPath(gameDir) + ", so nothing was done.",
                  Icon::Critical, "KVO");
    return StartupOutcome::NoGameFolder;
  }
  std::vector<std::string> problems;
  state.GameDir = gameDir;
  state.EAWDirLabel = displayPath(gameDir);
  prepareFolderLayout(problems);
  state.PlaneCodes = planeCodeTable();
  state.Label18 = {std::to_string(screen.widthPixels), std::to_string(screen.heightPixels)};
  listExecutables();
  state.GridReady = false;
  state.SkinGridReady = false;
  readCategoryTable(problems);
  state.Label1 = state.EAWDirLabel + (state.EAWDirLabel.ends_with(fs::path::preferred_separator)
                                          ? ""
                                          : std::string(1, fs::path::preferred_separator));
  if (findNoCase(state.GameDir, "eaw.ini")) settings.IniRead();
  skins.buildSkinGrid();
  replayLoadRecord(problems);
  loadPictures();
  selectInitialFilters();
  state.GridReady = true;
  state.GUPC.items = listFiles(resolveNoCase(state.SelectorDir, "Autoscripts"), "*.set");
  music.readMusicIni(problems);
  state.AutoLoadCaption = state.Label29;
  if (!problems.empty()) shell.message(joinProblems(problems), Icon::Exclamation, "KVO");
  return StartupOutcome::Ready;
}

void Selector::prepareFolderLayout(std::vector<std::string>& problems) {
  std::error_code ec;
  auto gameFolders = listFolders(state.GameDir, ec);
  if (ec) problems.push_back(describeFailure("read the folder", state.GameDir, ec));
  ensureSubfolder(state.GameDir, gameFolders, "KVO128", problems);
  state.SelectorDir = resolveNoCase(state.GameDir, "KVO128");
  ensureSubfolder(state.GameDir, gameFolders, "Savedata", problems);
  ensureSubfolder(state.GameDir, gameFolders, "Music", problems);
}

void Selector::listExecutables() {
  state.List6.clear();
  state.List6.items = listFiles(state.GameDir, "*.exe");
}

void Selector::readCategoryTable(std::vector<std::string>& problems) {
  state.List3.clear();
  state.List3.items = {"Show ALL", "Show Selections"};
  const auto iniPath = resolveNoCase(state.SelectorDir, "kvo.ini");
  if (!fileExists(iniPath)) {
    if (auto ec = writeTextLinesAtomically(iniPath, defaultCategoryLines())) {
      problems.push_back(describeFailure("write", iniPath, ec));
    }
  }
  auto lines = usableCategoryLines(readTextLinesNoting(iniPath, problems), problems);
  if (lines.empty()) problems.push_back("kvo.ini holds no category, so no mod folder is shown.");
  state.CategoryCodes = {};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    state.CategoryCodes[i] = categoryCodeOfLine(lines[i]);
    state.List3.items.push_back(categoryDescriptionOfLine(lines[i]));
  }
  // The selector folder is listed once; its listing serves the reserved folders and the grid.
  std::error_code ec;
  auto folders = listFolders(state.SelectorDir, ec);
  if (ec) problems.push_back(describeFailure("read the folder", state.SelectorDir, ec));
  ensureSubfolder(state.SelectorDir, folders, "Autoscripts", problems);
  ensureSubfolder(state.SelectorDir, folders, "Skinfolder", problems);
  engine.fillFolderGrid(lines, folders);
}

void Selector::replayLoadRecord(std::vector<std::string>& problems) {
  state.Label8.clear();
  state.Text2.clear();
  // The header cell with the filter hint takes the category list's own background.
  state.Unigrid.setBack(0, 1, kWindowBackground);
  const auto recordPath = resolveNoCase(state.SelectorDir, "FoldersLoaded.txt");
  if (!fileExists(recordPath)) {
    if (auto ec = replaceFileAtomically(recordPath, "")) {
      problems.push_back(describeFailure("create", recordPath, ec));
    }
    return;
  }
  int unmatched = 0;
  for (const auto& line : readTextLinesNoting(recordPath, problems)) {
    if (line.empty()) continue;
    state.Label8 += line + "\r\n";
    state.Text2 += line + "\r\n";
    if (!markLoadRecordLine(line)) ++unmatched;
  }
  state.Label8Visible = !state.Label8.empty();
  if (unmatched > 0) {
    problems.push_back("FoldersLoaded.txt: " + std::to_string(unmatched) +
                       " name(s) match no folder, skin or plane and were ignored.");
  }
}

bool Selector::markLoadRecordLine(const std::string& line) {
  bool matched = engine.replayFolderLine(line);
  matched = skins.markLoadedSkin(line) || matched;
  matched = planes.markLoadedPlane(line) || matched;
  return matched;
}

void Selector::loadPictures() {
  state.BackgroundPicture.clear();
  if (auto background = findNoCase(state.GameDir, "background")) {
    if (fileExists(*background)) state.BackgroundPicture = *background;
  }
  state.MyImage = state.BackgroundPicture;
  state.Image3.clear();
  if (auto newpic = findNoCase(state.GameDir, "newpic")) {
    if (fileExists(*newpic)) state.Image3 = *newpic;
  }
  state.Image4 = state.Image3;
}

void Selector::selectInitialFilters() {
  state.List3.index = 0;
  engine.List3_Click(0);
  state.List1.index = 1;
  skins.FilterGrids(1);
  if (!state.Frame6Visible) return;
  auto& g1 = state.G1;
  for (int r = 1; r < g1.rows(); ++r) {
    g1.setRowHeight(r, g1.text(r, 4) == "S" ? g1.rowHeight(0) : 0);
  }
}

}  // namespace kvo
