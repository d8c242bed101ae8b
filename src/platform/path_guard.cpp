#include "platform/path_guard.h"

#include "platform/entry_ops.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

class RefusalCategory final : public std::error_category {
 public:
  const char* name() const noexcept override { return "kvo refusal"; }
  std::string message(int value) const override {
    switch (static_cast<Refusal>(value)) {
      case Refusal::Outside:
        return "it lies outside the game folder";
      case Refusal::BehindLink:
        return "a folder on its way is a link to another place";
      case Refusal::SourceIsLink:
        return "the source is a link to another file";
      case Refusal::TouchedTwice:
        return "it would be changed twice in one go";
      case Refusal::EarlierChangePending:
        return "an earlier change of the game folder is not finished";
      case Refusal::NotRecordable:
        return "its name cannot be recorded";
      case Refusal::MissingFolder:
        return "its folder is not there";
      case Refusal::TargetIsLink:
        return "the file is a link to another place, and links are not written through";
      case Refusal::NotRegularFile:
        return "it is not a regular file";
      case Refusal::TooLarge:
        return "it is larger than a file of its kind can be";
      case Refusal::ForbiddenName:
        return "Windows does not allow such a name";
      case Refusal::SharedByHardLink:
        return "the file is shared with another name by a hard link, so its mark is left alone";
      case Refusal::ReadOnlySource:
        return "the file is read-only, so it is not shared by a hard link";
    }
    return "it may not be changed";
  }
};

}  // namespace

fs::path absoluteNormal(const fs::path& path) {
#ifndef _WIN32
  if (path.is_absolute() && isLexicallyNormal(path.native())) return path;
#endif
  std::error_code ec;
  fs::path absolute = fs::absolute(path, ec);
  if (ec) absolute = path;
  absolute = absolute.lexically_normal();
  if (!absolute.has_filename() && absolute.has_relative_path()) absolute = absolute.parent_path();
  return absolute;
}

fs::path::string_type absoluteNormalText(fs::path::string_type text) {
#ifndef _WIN32
  if (!text.empty() && text.front() == '/' && isLexicallyNormal(text)) return text;
#endif
  return absoluteNormal(fs::path(std::move(text))).native();
}

const std::error_category& refusalCategory() {
  static const RefusalCategory category;
  return category;
}

std::error_code make_error_code(Refusal refusal) {
  return std::error_code(static_cast<int>(refusal), refusalCategory());
}

#ifndef _WIN32
namespace {

bool absoluteAndNormal(const std::string& text) {
  return !text.empty() && text.front() == '/' && isLexicallyNormal(text);
}

// Both are normal, so being below is a matter of the text (names are case-sensitive here).
std::optional<fs::path> belowText(const std::string& b, const std::string& f) {
  const std::size_t skip = b == "/" ? 1 : b.size() + 1;
  if (f.size() <= skip || f.compare(0, b.size(), b) != 0 || f[skip - 1] != '/') {
    return std::nullopt;
  }
  return fs::path(f.substr(skip));
}

}  // namespace
#endif

std::optional<fs::path> pathBelow(const fs::path& root, const fs::path& path) {
#ifndef _WIN32
  // A change of many thousand files asks this of paths that are absolute and normal already;
  // copying them to make sure would cost more than the answer.
  if (absoluteAndNormal(root.native()) && absoluteAndNormal(path.native())) {
    return belowText(root.native(), path.native());
  }
  return belowText(absoluteNormal(root).native(), absoluteNormal(path).native());
#else
  const fs::path base = absoluteNormal(root);
  const fs::path full = absoluteNormal(path);
  auto b = base.begin();
  auto f = full.begin();
  for (; b != base.end(); ++b, ++f) {
    if (f == full.end() || pathKey(*b) != pathKey(*f)) return std::nullopt;
  }
  fs::path below;
  for (; f != full.end(); ++f) below /= *f;
  if (below.empty()) return std::nullopt;
  return below;
#endif
}

std::optional<fs::path> pathBelow(const fs::path& root, const fs::path::string_type& path) {
#ifndef _WIN32
  if (absoluteAndNormal(root.native()) && absoluteAndNormal(path)) {
    return belowText(root.native(), path);
  }
#endif
  return pathBelow(root, fs::path(path));
}

std::error_code checkPlace(const fs::path& root, const fs::path& path, CheckedFolders* checked) {
  const auto below = pathBelow(root, path);
  if (!below) return Refusal::Outside;
  return checkPlaceBelow(root, *below, checked);
}

std::error_code checkPlaceBelow(const fs::path& root, const fs::path& below,
                                CheckedFolders* checked) {
  // A file right in the root has no folder on its way.
  if (!below.has_parent_path()) return {};
  fs::path folder = absoluteNormal(root);
  const fs::path parent = below.parent_path();
  for (const auto& part : parent) {
    folder /= part;
    const std::string key = checked ? pathKey(folder) : std::string();
    if (checked && checked->contains(key)) continue;
    std::error_code ec;
    const auto kind = entryKind(folder, ec);
    if (ec) return ec;
    if (kind == EntryKind::Link) return Refusal::BehindLink;
    // Nothing deeper exists yet, so nothing deeper can be a link.
    if (kind == EntryKind::None) return {};
    if (checked) checked->insert(key);
  }
  return {};
}

}  // namespace kvo
