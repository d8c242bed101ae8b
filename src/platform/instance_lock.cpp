#include "platform/instance_lock.h"

#include "platform/entry_ops.h"
#include "platform/failure_words.h"
#include "platform/file_ops.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

std::string lockProblem(const fs::path& file, std::string_view reason, std::string_view whatToDo) {
  std::string text = "The selector could not take its lock file " + displayPath(file) + ": ";
  text.append(reason);
  text +=
      ". The lock keeps a second selector from changing this game folder at the same time, "
      "so nothing was done. ";
  text.append(whatToDo);
  return text;
}

fs::path InstanceLock::lockFile(const fs::path& gameDir, std::string& problem) {
  const fs::path selector = resolveNoCase(gameDir, "KVO128");
  const fs::path file = selector / kFileName;
  std::error_code ec;
  auto kind = entryKind(selector, ec);
  // The first start makes the selector folder here rather than a step later, so that two
  // first starts at once already meet at the lock.
  if (kind == EntryKind::None && !ec) {
    if (auto madeEc = makeOneFolder(selector); madeEc && madeEc != std::errc::file_exists) {
      problem = lockProblem(file, "its folder cannot be created (" + failureReason(madeEc) + ")",
                            "Make sure the game folder can be written to, and start again.");
      return file;
    }
    kind = entryKind(selector, ec);
  }
  if (ec) {
    problem = lockProblem(file, failureReason(ec), "Start the selector again.");
  } else if (kind == EntryKind::Link) {
    problem = lockProblem(
        file, "the selector folder " + displayPath(selector) + " is a link to another place",
        "Put the folder itself in place of the link, and start again.");
  } else if (kind != EntryKind::Folder) {
    problem = lockProblem(file, displayPath(selector) + " is not a folder",
                          "Move that file away, and start again.");
  }
  return file;
}

InstanceLock::Attempt InstanceLock::acquire(const fs::path& gameDir) {
  std::string problem;
  const auto file = lockFile(gameDir, problem);
  if (!problem.empty()) return {nullptr, problem};
  return lockAt(file);
}

}  // namespace kvo
