#include "platform/instance_lock.h"

#include "platform/entry_ops.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

std::optional<fs::path> InstanceLock::lockFile(const fs::path& gameDir) {
  // A mistyped game folder must not come into being for a lock; start-up refuses it next.
  if (!folderExists(gameDir)) return std::nullopt;
  const fs::path selector = resolveNoCase(gameDir, "KVO128");
  std::error_code ec;
  auto kind = entryKind(selector, ec);
  // The first start makes the selector folder here rather than a step later, so that two
  // first starts at once already meet at the lock.
  if (kind == EntryKind::None && !ec) {
    if (auto madeEc = makeOneFolder(selector); madeEc && madeEc != std::errc::file_exists) {
      return std::nullopt;
    }
    kind = entryKind(selector, ec);
  }
  if (ec || kind != EntryKind::Folder) return std::nullopt;
  return selector / "kvo.lock";
}

}  // namespace kvo
