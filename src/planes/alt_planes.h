#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "planes/plane_file_editors.h"
#include "state/grid.h"

namespace kvo {

class Core;
struct PlaneInstallPlan;

// Back colour of the folder cell of a `G1` row whose plane record cannot be installed.
inline constexpr Colour kUnusablePlane = 0xC0C0FF;

// The alternative-plane grid `G1` of a loaded flight-model folder.
class AltPlanes final {
 public:
  explicit AltPlanes(Core& core) : s_(core), editors_(core) {}

  // Installs the plane of `G1`'s current row into its slot: planes.dat, pnames.str, the three
  // menus, loadout.dat and its flight model as one change, then marks the row (click, Enter).
  void ApplyPlaneRow();
  // Sets the fuel of the slot shown in `Label26`/`Label27` to a share of its full fuel,
  // `Option1(index)`: 100, 75, 50, 25, 10 or 5 per cent.
  void SetFuelLoad(int index);
  // Previews the plane of `G1` row `row` under the pointer and narrows `SK1` to its art code.
  void G1_MouseMove(int row);
  // The slot and art code of the hovered plane, as label19(0) and label19(1) show them.
  const std::array<std::string, 2>& label19() const { return label19_; }
  // The plane-name and plane-menu windows the install drives.
  PlaneFileEditors& editors() { return editors_; }
  // Fills `G1` from the "P-" folders of the flight-model folder and reads its fuel values.
  void GridSet(const std::filesystem::path& fmFolder);
  // Marks and replays the `G1` rows named by the load-record `line`; true when one matched.
  bool markLoadedPlane(const std::string& line);
  // Why the plane of a `G1` row cannot be installed; empty when it can.
  std::string unusableReason(int row) const;
  // The "Slot" and "Name" headings sort G1 by their column.
  void Label20_Click(int index);
  // Forgets the rows of `G1` (Reset All, unloading the flight-model folder).
  void forgetRows();

 private:
  void readFuelValues(const std::filesystem::path& fmFolder);
  void addPlaneRow(const std::filesystem::path& fmFolder, const std::string& folder);
  void markInstalled(int row);
  bool commitInstall(const PlaneInstallPlan& plan);
  Core& s_;
  PlaneFileEditors editors_;
  std::array<std::string, 2> label19_{};
  int lastHoverRow_ = 0;
  std::map<std::string, std::string> unusable_;  // by folder name, so sorting G1 keeps it
  struct SlotFuel {
    int slot;
    int fuel;
  };
  std::map<std::string, SlotFuel> fuel_;  // slot and full fuel of each usable plane, by folder
};

}  // namespace kvo
