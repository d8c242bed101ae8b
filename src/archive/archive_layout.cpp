#include "archive/archive_layout.h"

#include <algorithm>
#include <map>
#include <utility>

#include "platform/listing.h"

namespace kvo {

namespace {

// The archive's names as a tree, built once from the flat list of entries.
class NameTree final {
 public:
  explicit NameTree(const std::vector<LayoutEntry>& entries) : nodes_(1) {
    for (const auto& entry : entries) {
      std::size_t node = 0;
      for (const auto& part : entry.parts) node = child(node, part);
      if (!entry.folder && node != 0) nodes_[node].file = true;
    }
  }

  // A file is a name no other name lies below (an archive can hold both).
  bool isFile(std::size_t node) const { return nodes_[node].file && nodes_[node].children.empty(); }
  const std::string& name(std::size_t node) const { return nodes_[node].name; }

  // The names below `node`, sorted as the folder listings sort them.
  std::vector<std::size_t> children(std::size_t node) const {
    auto kids = nodes_[node].children;
    std::sort(kids.begin(), kids.end(), [this](std::size_t a, std::size_t b) {
      return lessNoCase(nodes_[a].name, nodes_[b].name);
    });
    return kids;
  }

 private:
  struct Node {
    std::string name;
    bool file = false;
    std::vector<std::size_t> children;
  };

  std::size_t child(std::size_t parent, const std::string& part) {
    auto [found, isNew] = index_.try_emplace({parent, part}, nodes_.size());
    if (isNew) {
      nodes_.push_back({part, false, {}});
      nodes_[parent].children.push_back(found->second);
    }
    return found->second;
  }

  std::vector<Node> nodes_;
  std::map<std::pair<std::size_t, std::string>, std::size_t> index_;
};

bool named(std::string_view name, std::string_view which) {
  return equalsNoCase(name, which);
}

ArchivePath below(ArchivePath path, const std::string& name) {
  path.push_back(name);
  return path;
}

class LayoutFinder final {
 public:
  LayoutFinder(const std::vector<LayoutEntry>& entries, const ModFolderTest& isModFolder)
      : tree_(entries), isMod_(isModFolder) {}

  ArchiveLayout find() {
    std::size_t node = 0;
    ArchivePath path;
    // Folders wrapped around the add-on (a folder named like the archive) are taken off.
    while (true) {
      const auto kids = tree_.children(node);
      if (kids.size() != 1 || tree_.isFile(kids[0])) break;
      const auto& name = tree_.name(kids[0]);
      if (named(name, "KVO128")) {
        layout_.top = path;
        selectorLevel(kids[0], below(path, name));
        return std::move(layout_);
      }
      if (named(name, "Skinfolder") || named(name, "Autoscripts")) {
        layout_.top = path;
        selectorLevel(node, path);
        return std::move(layout_);
      }
      path.push_back(name);
      if (isMod_(name)) {
        layout_.top = path;
        layout_.targets.push_back({TargetKind::ModFolder, path, name});
        return std::move(layout_);
      }
      node = kids[0];
    }
    layout_.top = path;
    topLevel(node, path);
    return std::move(layout_);
  }

 private:
  bool isSetFolder(std::size_t node) const {
    const auto& name = tree_.name(node);
    return isMod_(name) || named(name, "Skinfolder") || named(name, "Autoscripts");
  }

  void topLevel(std::size_t node, const ArchivePath& path) {
    const auto kids = tree_.children(node);
    if (kids.empty()) return;
    const auto kvo128 = std::find_if(kids.begin(), kids.end(), [this](std::size_t kid) {
      return !tree_.isFile(kid) && named(tree_.name(kid), "KVO128");
    });
    if (kvo128 != kids.end()) {
      for (const auto kid : kids) {
        if (kid != *kvo128) layout_.leftOut.push_back(below(path, tree_.name(kid)));
      }
      selectorLevel(*kvo128, below(path, tree_.name(*kvo128)));
      return;
    }
    std::vector<std::size_t> folders;
    std::vector<std::size_t> files;
    for (const auto kid : kids) (tree_.isFile(kid) ? files : folders).push_back(kid);
    const auto isSet = [this](std::size_t kid) { return isSetFolder(kid); };
    if (!folders.empty() && std::all_of(folders.begin(), folders.end(), isSet)) {
      selectorLevel(node, path);
    } else if (folders.empty()) {
      looseFiles(files, path);
    } else {
      layout_.targets.push_back({TargetKind::ModFolder, path, {}});
    }
  }

  // Files without folders: autoscripts, a skin, or a mod that needs a category.
  void looseFiles(const std::vector<std::size_t>& files, const ArchivePath& path) {
    const auto matches = [this](const char* pattern) {
      return [this, pattern](std::size_t kid) { return wildcardMatch(pattern, tree_.name(kid)); };
    };
    if (std::all_of(files.begin(), files.end(), matches("*.set"))) {
      for (const auto kid : files) {
        layout_.targets.push_back(
            {TargetKind::Autoscript, below(path, tree_.name(kid)), tree_.name(kid)});
      }
    } else if (std::any_of(files.begin(), files.end(), matches("p????*.3dz"))) {
      // A skin folder holds the plane's model as "p" + art code + "*.3dz".
      layout_.targets.push_back({TargetKind::SkinFolder, path, {}});
    } else {
      layout_.targets.push_back({TargetKind::ModFolder, path, {}});
    }
  }

  // A level laid out like KVO128: mod folders, Skinfolder and Autoscripts.
  void selectorLevel(std::size_t node, const ArchivePath& path) {
    layout_.set = true;
    for (const auto kid : tree_.children(node)) {
      const auto& name = tree_.name(kid);
      const auto kidPath = below(path, name);
      if (tree_.isFile(kid)) {
        layout_.leftOut.push_back(kidPath);
      } else if (isMod_(name)) {
        layout_.targets.push_back({TargetKind::ModFolder, kidPath, name});
      } else if (named(name, "Skinfolder")) {
        reservedFolder(kid, kidPath, TargetKind::SkinFolder);
      } else if (named(name, "Autoscripts")) {
        reservedFolder(kid, kidPath, TargetKind::Autoscript);
      } else {
        layout_.leftOut.push_back(kidPath);
      }
    }
  }

  // The skin folders of a Skinfolder, or the autoscripts of an Autoscripts folder.
  void reservedFolder(std::size_t node, const ArchivePath& path, TargetKind kind) {
    for (const auto kid : tree_.children(node)) {
      const auto& name = tree_.name(kid);
      const bool wanted = kind == TargetKind::SkinFolder
                              ? !tree_.isFile(kid)
                              : tree_.isFile(kid) && wildcardMatch("*.set", name);
      if (wanted) {
        layout_.targets.push_back({kind, below(path, name), name});
      } else {
        layout_.leftOut.push_back(below(path, name));
      }
    }
  }

  NameTree tree_;
  const ModFolderTest& isMod_;
  ArchiveLayout layout_;
};

bool startsWith(const ArchivePath& parts, const ArchivePath& prefix) {
  return parts.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), parts.begin());
}

}  // namespace

ArchiveLayout detectLayout(const std::vector<LayoutEntry>& entries,
                           const ModFolderTest& isModFolder) {
  return LayoutFinder(entries, isModFolder).find();
}

std::size_t targetOf(const ArchiveLayout& layout, const ArchivePath& parts) {
  for (std::size_t i = 0; i < layout.targets.size(); ++i) {
    const auto& target = layout.targets[i];
    if (target.kind == TargetKind::Autoscript ? parts == target.from
                                              : startsWith(parts, target.from)) {
      return i;
    }
  }
  return static_cast<std::size_t>(-1);
}

}  // namespace kvo
