#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Which folders of an add-on's archive become which folders of the selector, told from the
// names alone: one mod wrapped in any number of plain folders, a complete set of mod folders,
// a copy of KVO128, a skin, or autoscripts.
namespace kvo {

enum class TargetKind { ModFolder, SkinFolder, Autoscript };

// Parts of a name inside the archive, top first.
using ArchivePath = std::vector<std::string>;

// One folder (or autoscript file) the archive gives.
struct LayoutTarget {
  TargetKind kind = TargetKind::ModFolder;
  ArchivePath from;  // the archive's folder whose content it gets, or the autoscript file
  std::string name;  // its name in the archive; empty when the player or the archive's own
                     // file name has to name it
};

struct ArchiveLayout {
  std::vector<LayoutTarget> targets;
  // The top of the add-on once the folders wrapped around it are taken off.
  ArchivePath top;
  // True when the targets are the folders of a complete set or of a copy of KVO128, each
  // named by the archive; false for one add-on found at `top`.
  bool set = false;
  // The highest entries that go nowhere (a readme beside the folders of a set), in order.
  std::vector<ArchivePath> leftOut;
};

// One entry of the archive: its name's parts and whether it is a folder.
struct LayoutEntry {
  ArchivePath parts;
  bool folder = false;
};

// Tells whether a folder of that name is listed as a mod folder: its first character a
// category code, its second "-" or " ".
using ModFolderTest = std::function<bool(std::string_view name)>;

// The layout of the archive whose entries are `entries`. Names compare as they are, so two
// names that differ only in letter case must have been refused before.
ArchiveLayout detectLayout(const std::vector<LayoutEntry>& entries,
                           const ModFolderTest& isModFolder);

// The target of `layout` whose files include the entry `parts`, or npos for none.
std::size_t targetOf(const ArchiveLayout& layout, const ArchivePath& parts);

}  // namespace kvo
