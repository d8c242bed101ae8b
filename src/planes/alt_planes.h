#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "state/grid.h"

namespace kvo {

class Core;

// Back colour of the folder cell of a `G1` row whose plane record cannot be installed.
inline constexpr Colour kUnusablePlane = 0xC0C0FF;

// The alternative-plane grid `G1` of a loaded flight-model folder.
class AltPlanes final {
 public:
  explicit AltPlanes(Core& core) : s_(core) {}

  // Marks `G1`'s current row as the plane of its slot (nothing while GridReady is False).
  void ApplyPlaneRow();
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
  Core& s_;
  std::map<std::string, std::string> unusable_;  // by folder name, so sorting G1 keeps it
};

}  // namespace kvo
