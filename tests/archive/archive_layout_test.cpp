#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/archive_layout.h"
#include "platform/listing.h"

namespace kvo {
namespace {

// The demo's kvo.ini holds T, F, W and H among others; "P-" folders are alternative planes.
bool isModFolder(std::string_view name) {
  return name.size() >= 2 && (name[1] == '-' || name[1] == ' ') &&
         std::string_view("TFWHs").find(name[0]) != std::string_view::npos;
}

std::vector<LayoutEntry> entriesOf(const std::vector<std::string_view>& names) {
  std::vector<LayoutEntry> entries;
  for (auto name : names) {
    LayoutEntry entry;
    entry.folder = name.ends_with('/');
    if (entry.folder) name.remove_suffix(1);
    while (!name.empty()) {
      const auto slash = name.find('/');
      entry.parts.emplace_back(name.substr(0, slash));
      name.remove_prefix(slash == std::string_view::npos ? name.size() : slash + 1);
    }
    entries.push_back(entry);
  }
  return entries;
}

std::string pathText(const ArchivePath& parts) {
  std::string text;
  for (const auto& part : parts) text += (text.empty() ? "" : "/") + part;
  return text;
}

// "set: mod T-A <- KVO128/T-A; skin ? <- Spit; script x.set <- x.set; out: readme.txt"
std::string describe(const ArchiveLayout& layout) {
  std::string text = layout.set ? "set:" : "";
  for (const auto& target : layout.targets) {
    const char* kind = target.kind == TargetKind::ModFolder    ? "mod"
                       : target.kind == TargetKind::SkinFolder ? "skin"
                                                               : "script";
    text += std::string(text.empty() || text.ends_with(':') ? " " : "; ") + kind + " " +
            (target.name.empty() ? "?" : target.name) + " <- " + pathText(target.from);
  }
  if (!layout.leftOut.empty()) {
    text += "; out:";
    for (const auto& parts : layout.leftOut) text += " " + pathText(parts);
  }
  return text.substr(text.starts_with(' ') ? 1 : 0);
}

// Plain folders around an add-on come off; a folder named like a mod folder names the mod;
// a level of mod folders, Skinfolder and Autoscripts is a complete set (what else lies there
// is left out); loose files are one add-on that still needs a category, a skin, or
// autoscripts.
TEST(ArchiveLayoutTest, EachLayoutGivesItsTargets) {
  const std::pair<std::vector<std::string_view>, const char*> cases[] = {
      {{"eaw.tm", "maps/a.ter"}, "mod ? <- "},
      {{"Pack/", "Pack/Normandy/eaw.tm", "Pack/Normandy/b/"}, "mod ? <- Pack/Normandy"},
      {{"T-Normandy/", "T-Normandy/eaw.tm"}, "mod T-Normandy <- T-Normandy"},
      {{"Pack/T Normandy/eaw.tm"}, "mod T Normandy <- Pack/T Normandy"},
      {{"P-Spitfire/spit.flt"}, "mod ? <- P-Spitfire"},
      {{"t-lower/a"}, "mod ? <- t-lower"},
      {{"T-A/a", "Data/b"}, "mod ? <- "},
      {{"T-A/a", "F-B/b", "readme.txt"}, "set: mod F-B <- F-B; mod T-A <- T-A; out: readme.txt"},
      {{"Malta/T-A/a", "Malta/Autoscripts/m.set", "Malta/Autoscripts/notes.txt"},
       "set: script m.set <- Malta/Autoscripts/m.set; mod T-A <- Malta/T-A; out: "
       "Malta/Autoscripts/notes.txt"},
      {{"kvo128/T-A/a", "kvo128/kvo.ini", "kvo128/UNUSED/z", "kvo128/Skinfolder/Spit/psp09.3dz",
        "kvo128/Skinfolder/loose.txt", "eaw.exe"},
       "set: skin Spit <- kvo128/Skinfolder/Spit; mod T-A <- kvo128/T-A; out: eaw.exe "
       "kvo128/kvo.ini kvo128/Skinfolder/loose.txt kvo128/UNUSED"},
      {{"Skinfolder/Spit/psp09.3dz"}, "set: skin Spit <- Skinfolder/Spit"},
      {{"Autoscripts/a.set", "readme.txt"},
       "set: script a.set <- Autoscripts/a.set; out: readme.txt"},
      {{"Desert Spit/pSP09a.3DZ", "Desert Spit/sp09.tpc"}, "skin ? <- Desert Spit"},
      {{"p1.3dz", "x.tpc"}, "mod ? <- "},
      {{"a.set", "B.SET"}, "script a.set <- a.set; script B.SET <- B.SET"},
      {{"Empty/"}, ""},
      {{}, ""},
  };
  for (const auto& [names, expected] : cases) {
    EXPECT_EQ(describe(detectLayout(entriesOf(names), isModFolder)), expected) << *names.begin();
  }
}

// Entries go into the target whose folder holds them; one left out or around the targets
// goes nowhere.
TEST(ArchiveLayoutTest, EntriesGoIntoTheTargetThatHoldsThem) {
  const auto entries = entriesOf({"Set/T-A/x/y.dat", "Set/F-B/", "Set/readme.txt"});
  const auto layout = detectLayout(entries, isModFolder);
  ASSERT_EQ(layout.targets.size(), 2u);
  EXPECT_EQ(targetOf(layout, entries[0].parts), 1u);
  EXPECT_EQ(targetOf(layout, entries[1].parts), 0u);
  EXPECT_EQ(targetOf(layout, entries[2].parts), static_cast<std::size_t>(-1));
  EXPECT_EQ(targetOf(layout, {"Set"}), static_cast<std::size_t>(-1));
}

}  // namespace
}  // namespace kvo
