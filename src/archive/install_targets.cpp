#include "archive/install_targets.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "archive/entry_names.h"
#include "archive/selector_text.h"
#include "platform/file_ops.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

std::string quotedName(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

// Why `text` (8-bit) cannot name a folder or file the game sees, or empty.
std::string nameProblem(const std::string& text) {
  if (text.empty()) return "the new folder would have no name";
  const auto utf8 = utf8OfSelectorText(text);
  if (auto problem = entryPartProblem(utf8); !problem.empty()) {
    return "the name " + quotedName(text) + " " + problem;
  }
  if (!selectorTextOf(utf8)) {
    return "the name " + quotedName(text) +
           " holds characters that the game's 8-bit names cannot hold";
  }
  return {};
}

std::string countText(std::size_t count, const char* what) {
  return std::to_string(count) + " " + what;
}

// One mod folder of `category` made of the whole add-on.
LayoutTarget asModFolder(const ArchiveLayout& layout, const InstallRequest& request,
                         const std::string& stem) {
  const bool single = layout.targets.size() == 1;
  const auto& only = layout.targets.front();
  LayoutTarget mod{TargetKind::ModFolder, single ? only.from : layout.top, {}};
  if (!request.name.empty()) {
    mod.name = request.category + "-" + request.name;
  } else if (single && only.kind == TargetKind::ModFolder && !only.name.empty()) {
    mod.name = request.category + only.name.substr(1);  // "T-Normandy" as "W-Normandy"
  } else {
    mod.name = request.category + "-" + (single && !only.name.empty() ? only.name : stem);
  }
  return mod;
}

std::string nameEach(ArchiveLayout& layout, const InstallRequest& request, const std::string& stem,
                     bool& categoryUnknown) {
  for (auto& target : layout.targets) {
    if (target.kind == TargetKind::ModFolder) {
      if (target.name.empty()) {
        categoryUnknown = true;
        return "its category cannot be told, since it holds no folder named like a mod "
               "folder (as \"T-Normandy\")";
      }
      if (!request.name.empty()) target.name = target.name.substr(0, 1) + "-" + request.name;
    } else if (target.kind == TargetKind::SkinFolder) {
      if (!request.name.empty()) {
        target.name = request.name;
      } else if (target.name.empty()) {
        target.name = stem;
      }
    }
  }
  return {};
}

// Where targets of each kind go, listed once.
class TargetFolders final {
 public:
  explicit TargetFolders(const fs::path& selectorDir) : selector_(selectorDir) {}

  const fs::path& dirOf(TargetKind kind) { return indexOf(kind).dir(); }
  std::optional<std::string> existing(TargetKind kind, const std::string& name) {
    return indexOf(kind).find(name);
  }
  const std::error_code& error(TargetKind kind) { return indexOf(kind).error(); }

 private:
  FolderIndex& indexOf(TargetKind kind) {
    if (kind == TargetKind::ModFolder) return selector_;
    const char* folder = kind == TargetKind::SkinFolder ? "Skinfolder" : "Autoscripts";
    auto [found, isNew] = reserved_.try_emplace(kind, selector_.resolve(folder));
    return found->second;
  }

  FolderIndex selector_;
  std::map<TargetKind, FolderIndex> reserved_;
};

std::string whereText(TargetKind kind) {
  switch (kind) {
    case TargetKind::SkinFolder:
      return "the Skinfolder holds a skin folder";
    case TargetKind::Autoscript:
      return "the Autoscripts folder holds an autoscript";
    default:
      return "KVO128 holds a folder";
  }
}

bool markedLoaded(const Grid& grid, int nameCol, int markCol, const std::string& name) {
  for (int r = 1; r < grid.rows(); ++r) {
    if (grid.text(r, markCol) == "S" && equalsNoCase(grid.text(r, nameCol), name)) return true;
  }
  return false;
}

}  // namespace

std::string nameTargets(ArchiveLayout& layout, const InstallRequest& request,
                        const std::string& stem, bool& categoryUnknown) {
  auto& targets = layout.targets;
  if (targets.empty()) return "it holds no mod folder, skin or autoscript to install";
  const bool single = targets.size() == 1 && targets.front().kind != TargetKind::Autoscript;
  if (!single && layout.set && (!request.category.empty() || !request.name.empty())) {
    return "it is a complete set of " + countText(targets.size(), "parts") +
           ", which keep the names and categories they have in it";
  }
  if (!request.category.empty()) {
    targets = {asModFolder(layout, request, stem)};
  } else if (!request.name.empty() && !single) {
    return "autoscripts keep the names they have in it";
  } else if (auto problem = nameEach(layout, request, stem, categoryUnknown); !problem.empty()) {
    return problem;
  }
  for (const auto& target : targets) {
    if (auto problem = nameProblem(target.name); !problem.empty()) return problem;
  }
  return {};
}

std::string placeTargets(const FormState& state, const LoadRecord& record,
                         const ArchiveLayout& layout, bool replace,
                         std::vector<InstallTarget>& targets) {
  TargetFolders folders(state.SelectorDir);
  std::set<std::pair<TargetKind, std::string>> taken;
  for (const auto& wanted : layout.targets) {
    if (auto ec = folders.error(wanted.kind)) {
      return describeFailure("read the folder", folders.dirOf(wanted.kind), ec);
    }
    if (!taken.emplace(wanted.kind, foldCase(utf8OfSelectorText(wanted.name))).second) {
      return "it would make two folders named " + quotedName(wanted.name);
    }
    InstallTarget target{
        wanted.kind, wanted.name, folders.dirOf(wanted.kind) / nameToPath(wanted.name), {}};
    if (const auto existing = folders.existing(wanted.kind, wanted.name)) {
      if (!replace) return whereText(wanted.kind) + " named " + quotedName(*existing) + " already";
      target.replaced = folders.dirOf(wanted.kind) / nameToPath(*existing);
      if (auto problem = replacedInUse(state, record, target); !problem.empty()) return problem;
    }
    targets.push_back(std::move(target));
  }
  return {};
}

std::string replacedInUse(const FormState& state, const LoadRecord& record,
                          const InstallTarget& target) {
  if (target.replaced.empty() || target.kind == TargetKind::Autoscript) return {};
  const auto name = pathToText(target.replaced.filename());
  const auto& st = state;
  bool loaded = target.kind == TargetKind::ModFolder ? markedLoaded(st.Unigrid, 1, 2, name)
                                                     : markedLoaded(st.SK1, 0, 1, name);
  Problems unread;  // a record that cannot be read holds no name
  const auto recorded = record.names(unread);
  loaded = loaded || std::any_of(recorded.begin(), recorded.end(),
                                 [&](const std::string& line) { return equalsNoCase(line, name); });
  if (!loaded) return {};
  return quotedName(name) + " is loaded; unload it before replacing it";
}

std::string archiveStem(const fs::path& archive) {
  const auto name = pathToText(archive.filename());
  const auto upper = toUpperAscii(name);
  for (const std::string_view extension :
       {".TAR.GZ", ".TAR.XZ", ".TAR.BZ2", ".TGZ", ".TXZ", ".TBZ2", ".TAR", ".ZIP", ".7Z", ".RAR"}) {
    if (upper.size() > extension.size() && upper.ends_with(extension)) {
      return name.substr(0, name.size() - extension.size());
    }
  }
  const auto dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace kvo
