#pragma once

#include <string_view>

#include "engine/engine_fixture.h"

namespace kvo::test {

// The demo selector, with helpers that act on skin and plane rows by name.
class PlanesTest : public EngineTest {
 protected:
  std::filesystem::path skinDir(std::string_view name) const {
    return selectorDir() / "Skinfolder" / name;
  }
  int skinRow(std::string_view name) { return st().SK1.findRow(0, name); }
  bool skinLoaded(std::string_view name) { return st().SK1.text(skinRow(name), 1) == "S"; }
  Outcome applySkin(std::string_view name) {
    EXPECT_GT(skinRow(name), 0) << name;
    return told(sel().skins.ApplySkinRow(skinRow(name)));
  }
  // Renames the skin row `from` to `to` as the rename box and its button do.
  Outcome renameSkin(std::string_view from, std::string_view to) {
    return told(sel().skins.RenameSkin(skinRow(from), std::string(to)));
  }
  std::filesystem::path fm() const { return selectorDir() / "F-Alternative Planes"; }
  int planeRow(std::string_view folder) { return st().G1.findRow(0, folder); }
  bool installed(std::string_view folder) {
    return planeRow(folder) > 0 && st().G1.text(planeRow(folder), 4) == "S";
  }
  Outcome applyPlane(std::string_view folder) {
    EXPECT_GT(planeRow(folder), 0) << folder;
    return told(sel().planes.ApplyPlaneRow(planeRow(folder)));
  }
  // Exact spelling: a file that keeps its upper-case name must not count as the lower-case one.
  bool inGame(std::string_view name) const {
    const auto path = game() / name;
    return holdsEntrySpelled(path.parent_path(), path.filename().string());
  }
};

}  // namespace kvo::test
