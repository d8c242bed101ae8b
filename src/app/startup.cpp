#include <string>
#include <vector>

#include "app/selector.h"
#include "archive/staging_folder.h"
#include "engine/keep_originals.h"
#include "platform/entry_ops.h"
#include "platform/file_ops.h"
#include "platform/instance_lock.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/running_game.h"
#include "platform/text_file.h"
#include "state/category_table.h"
#include "state/game_change.h"
#include "state/game_folder.h"
#include "state/plane_codes.h"
#include "transaction/recovery.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// Creates `name` in the indexed folder unless a subfolder of that name exists in any letter
// case; the path it has afterwards.
fs::path ensureSubfolder(FolderIndex& folder, std::string_view name, Problems& problems) {
  if (auto found = folder.find(name)) return folder.dir() / nameToPath(*found);
  const auto dir = folder.dir() / nameToPath(name);
  if (auto ec = createFolder(dir)) {
    problems.add(describeFailure("create the folder", dir, ec));
  } else {
    folder.insertFolder(name);
  }
  return dir;
}

// The folders the selector and the game write into: reached through a link, a change would
// land outside the game folder. The game folder's listing is the one the start-up goes on
// with: a game folder of many thousand files is listed once.
std::string linkedLayoutFolder(const FolderIndex& game) {
  for (const std::string_view name : {"KVO128", "Savedata", "Music", "KVO Originals"}) {
    const auto found = game.findPath(name);
    std::error_code ec;
    if (!found || entryKind(*found, ec) != EntryKind::Link) continue;
    return displayPath(*found) +
           " is a link to another place. The selector changes files only inside the game "
           "folder, so it does not start while its KVO128, Savedata, Music or KVO Originals "
           "folder is a link, and nothing was done. Put the folder itself in place of the link, "
           "and start again.";
  }
  return {};
}

}  // namespace

StartupOutcome Selector::startUp(const fs::path& requestedGameDir, ScreenSize screen) {
  // Paths in the grids and messages stay meaningful whatever folder a launched program or
  // a later command runs in.
  std::error_code absoluteError;
  fs::path gameDir = fs::absolute(requestedGameDir, absoluteError);
  if (absoluteError) gameDir = requestedGameDir;
  // The game folder is the player's installation: a mistyped path must not become a new,
  // empty one.
  if (!folderExists(gameDir)) {
    shell.message("There is no game folder " + displayPath(gameDir) + ", so nothing was done.",
                  Icon::Critical, "KVO");
    return StartupOutcome::NoGameFolder;
  }
  state.GameDir = gameDir;
  if (const auto linked = linkedLayoutFolder(game.listing()); !linked.empty()) {
    state.GameDir.clear();
    game.forgetListing();
    shell.message(linked, Icon::Critical, "KVO");
    return StartupOutcome::LinkedFolder;
  }
  auto attempt = InstanceLock::acquire(gameDir);
  if (!attempt.lock) {
    state.GameDir.clear();
    game.forgetListing();
    state.caption = "... duplicate instance.";
    shell.setCaption(state.caption);
    shell.message(attempt.heldElsewhere() ? kDuplicateInstanceText : attempt.problem,
                  Icon::Exclamation, kDuplicateInstanceTitle);
    return StartupOutcome::DuplicateInstance;
  }
  lock_ = std::move(attempt.lock);
  Problems problems;
  state.EAWDirLabel = displayPath(gameDir);
  prepareFolderLayout(problems);
  finishInterruptedChange();
  // An install that a kill cut short leaves its unpacked files in a staging folder; the
  // change above has put back whatever it had moved, so what is left there goes.
  removeUnpackingLeftovers(state, problems);
  state.PlaneCodes = planeCodeTable();
  state.Label18 = {std::to_string(screen.widthPixels), std::to_string(screen.heightPixels)};
  listExecutables();
  state.GridReady = false;
  state.SkinGridReady = false;
  readCategoryTable(problems);
  state.Label1 = state.EAWDirLabel + (state.EAWDirLabel.ends_with(fs::path::preferred_separator)
                                          ? ""
                                          : std::string(1, fs::path::preferred_separator));
  if (auto problem = settings.IniRead(); !problem.empty()) problems.add(std::move(problem));
  state.KeepOriginals = readKeepOriginals(state);
  state.DeployByLink = readDeployByLink(state);
  skins.buildSkinGrid();
  replayLoadRecord(problems);
  loadPictures();
  selectInitialFilters();
  state.GridReady = true;
  scripts.refreshScriptLists();
  music.ReadMusicSets(problems);
  state.AutoLoadCaption = state.Label29;
  problems.report(shell, "Start-up could not do everything:");
  return StartupOutcome::Ready;
}

void Selector::prepareFolderLayout(Problems& problems) {
  auto& listing = game.listing();
  if (listing.error()) {
    problems.add(describeFailure("read the folder", state.GameDir, listing.error()));
  }
  state.SelectorDir = ensureSubfolder(listing, "KVO128", problems);
  ensureSubfolder(listing, "Savedata", problems);
  ensureSubfolder(listing, "Music", problems);
}

// A change that a crash or a kill cut short is finished before anything reads the folders,
// so that the grids and the record agree with the files.
void Selector::finishInterruptedChange() {
  const auto journal = journalPath(state);
  std::error_code ec;
  if (entryKind(journal, ec) == EntryKind::None && !ec) return;
  // Putting files back under the running game would break its mission as any change would;
  // the record waits for the next start.
  if (gameRunningFrom(state.GameDir)) {
    shell.message(std::string(kGameRunningText) +
                      " The last change to the game folder was interrupted; it is finished at "
                      "the next start of the selector after the game has closed.",
                  Icon::Exclamation, "KVO");
    return;
  }
  const auto result = recoverInterruptedTransaction(state.GameDir, journal);
  if (!result.found) return;
  // The message names each problem already.
  shell.message(result.message, result.problems.empty() ? Icon::Information : Icon::Exclamation,
                "KVO");
  game.forgetListing();
}

void Selector::listExecutables() {
  state.List6.clear();
  state.List6.items = game.listing().files("*.exe");
}

void Selector::readCategoryTable(Problems& problems) {
  state.List3.clear();
  state.List3.items = {"Show ALL", "Show Selections"};
  // The selector folder is listed once; its listing serves kvo.ini, the reserved folders and
  // the grid.
  FolderIndex selector(state.SelectorDir);
  if (selector.error()) {
    problems.add(describeFailure("read the folder", state.SelectorDir, selector.error()));
  }
  const auto iniPath = selector.resolve("kvo.ini");
  // The default goes only where no file is; a FIFO or a device in its place is reported by the
  // reading, a link by the writing, which refuses it.
  std::error_code kindEc;
  if (!fileExists(iniPath) && entryKind(iniPath, kindEc) != EntryKind::Other) {
    auto failure = writeSelectorFile(state, iniPath, joinLinesCrLf(defaultCategoryLines()));
    if (!failure.empty()) problems.add(std::move(failure));
  }
  auto lines = usableCategoryLines(
      readTextLinesNoting(iniPath, problems, read_limit::kCategoryTable), problems);
  if (lines.empty()) problems.add("kvo.ini holds no category, so no mod folder is shown.");
  state.CategoryCodes = {};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    state.CategoryCodes[i] = categoryCodeOfLine(lines[i]);
    state.List3.items.push_back(categoryDescriptionOfLine(lines[i]));
  }
  ensureSubfolder(selector, "Autoscripts", problems);
  ensureSubfolder(selector, "Skinfolder", problems);
  engine.fillFolderGrid(lines, selector.folders(), problems);
}

void Selector::replayLoadRecord(Problems& problems) {
  state.Label8.clear();
  state.Text2.clear();
  // The header cell with the filter hint takes the category list's own background.
  state.Unigrid.setBack(0, 1, kWindowBackground);
  if (!fileExists(record.path())) {
    record.createWhenMissing(problems);
    return;
  }
  const auto names = record.names(problems);
  for (const auto& name : names) state.Label8 += name + "\r\n";
  state.Text2 = state.Label8;
  state.Label8Visible = !state.Label8.empty();
  const auto unmatched = record.replay(
      names, {.folder = [this](const std::string& name) { return engine.replayFolderLine(name); },
              .skin = [this](const std::string& name) { return skins.markLoadedSkin(name); },
              .plane = [this](const std::string& name) { return planes.markLoadedPlane(name); }});
  problems.add(engine.replayProblems());
  if (!engine.replayRefused().empty()) {
    std::string refused;
    for (const auto& name : engine.replayRefused()) refused += (refused.empty() ? "" : ", ") + name;
    problems.add(
        "FoldersLoaded.txt names more than one folder of a category that allows one; "
        "the first is marked as loaded, these are not: " +
        refused + ".");
  }
  // A folder the player deleted or renamed is simply no longer loaded; no need to stop them.
  if (!unmatched.empty()) {
    startupNote_ = "FoldersLoaded.txt names " + std::to_string(unmatched.size()) +
                   " folder(s), skin(s) or plane(s) that are no longer there: ";
    for (std::size_t i = 0; i < unmatched.size(); ++i) {
      startupNote_ += (i ? ", " : "") + unmatched[i];
    }
    startupNote_ += ".";
  }
}

void Selector::loadPictures() {
  auto& listing = game.listing();
  state.BackgroundPicture.clear();
  if (auto background = listing.findPath("background")) {
    if (fileExists(*background)) state.BackgroundPicture = *background;
  }
  state.MyImage = state.BackgroundPicture;
  state.Image3.clear();
  if (auto newpic = listing.findPath("newpic")) {
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
