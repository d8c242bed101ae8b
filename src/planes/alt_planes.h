#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "planes/placement_record.h"
#include "planes/plane_file_editors.h"
#include "state/form_state.h"
#include "state/game_change.h"
#include "state/game_folder.h"
#include "state/grid.h"
#include "state/load_record.h"
#include "state/outcome.h"

namespace kvo {

// Back colour of the folder cell of a `G1` row whose plane record cannot be installed.
inline constexpr Colour kUnusablePlane = 0xC0C0FF;

// The alternative-plane grid `G1` of a loaded flight-model folder.
class AltPlanes final {
 public:
  AltPlanes(FormState& state, GameFolder& game, LoadRecord& record)
      : state_(state), game_(game), record_(record), editors_(state, game) {}

  // Installs the plane of `G1` row `row` into its slot: planes.dat, pnames.str, the three
  // menus, loadout.dat and its flight model as one change, then marks the row (click, Enter).
  Outcome ApplyPlaneRow(int row);
  // Plans the install of `G1` row `row` into `change`, reading the game's files as the steps
  // planned so far leave them, and marks the row and shows its fuel. Why the plane cannot be
  // installed, or "". ApplyPlaneRow and the replays plan by it.
  std::string planPlaneRow(int row, GameChange& change);
  // Sets the fuel of plane slot `slot` (0..29) to a share of its full fuel, the button
  // `Option1(index)`: 100, 75, 50, 25, 10 or 5 per cent.
  Outcome SetFuelLoad(int slot, int index);
  // The Option1 button (0..5) whose share of the full fuel planes.dat holds now for the slot
  // the fuel labels show, or -1 when it holds none of them or no slot is shown.
  int fuelOnDisk();
  // Previews the plane of `G1` row `row` under the pointer and narrows `SK1` to its art code.
  void G1_MouseMove(int row);
  // The slot and art code of the hovered plane, as label19(0) and label19(1) show them.
  const std::array<std::string, 2>& label19() const { return notes_.label19; }
  // The plane-name and plane-menu windows the install drives.
  PlaneFileEditors& editors() { return editors_; }
  // Fills `G1` from the "P-" folders of the flight-model folder and reads its fuel values;
  // what could not be read, or "".
  std::string GridSet(const std::filesystem::path& fmFolder);
  // Marks the `G1` rows named by the load-record `line` (no file changes); true when one did.
  bool markLoadedPlane(const std::string& line);
  // Why the plane of a `G1` row cannot be installed; empty when it can.
  std::string unusableReason(int row) const;
  // The "Slot" and "Name" headings sort G1 by their column.
  void Label20_Click(int index);
  // Forgets the rows of `G1` and what they showed: the fuel, the slot and art code
  // (Reset All, unloading the flight-model folder).
  void forgetRows();
  // From now on installs and fuel buttons write through `placements` (null: unrecorded).
  void setPlacements(PlacementRecord* placements) { placements_ = placements; }

  // What the grid knows of its rows beyond their cells, so that a change that is not made
  // can put it back with the grid.
  struct Notes {
    std::map<std::string, std::string> unusable;      // by folder name, so sorting G1 keeps it
    std::map<std::string, std::pair<int, int>> fuel;  // slot and full fuel of each plane
    std::array<std::string, 2> label19{};
    int lastHoverRow = 0;
  };
  // The grid's notes as they are now.
  const Notes& notes() const { return notes_; }
  // Puts back notes taken by notes().
  void restoreNotes(const Notes& notes) { notes_ = notes; }

 private:
  std::string readFuelValues(const std::filesystem::path& fmFolder);
  void addPlaneRow(const std::filesystem::path& fmFolder, const std::string& folder);
  void markInstalled(int row);
  void showFuel(int slot, int fuel);
  std::string ownerFolder() const;
  void planWrites(GameChange& change, std::vector<GameFileWrite> files);

  FormState& state_;
  GameFolder& game_;
  LoadRecord& record_;
  PlaneFileEditors editors_;
  Notes notes_;
  PlacementRecord* placements_ = nullptr;
};

}  // namespace kvo
