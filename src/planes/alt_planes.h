#pragma once

#include <filesystem>
#include <string>

namespace kvo {

class Selector;

// The alternative-plane grid `G1` of a loaded flight-model folder.
class AltPlanes final {
 public:
  explicit AltPlanes(Selector& selector) : s_(selector) {}

  // Installs or removes the alternative plane of `G1`'s current row (only marks it while
  // GridReady is False).
  void ApplyPlaneRow();
  // Fills `G1` from the "P-" folders of the flight-model folder and reads its fuel values.
  void GridSet(const std::filesystem::path& fmFolder);
  // Marks and replays the `G1` rows named by the load-record `line`; true when one matched.
  bool markLoadedPlane(const std::string& line);

 private:
  void readFuelValues(const std::filesystem::path& fmFolder);
  Selector& s_;
};

}  // namespace kvo
