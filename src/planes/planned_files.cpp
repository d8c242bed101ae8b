#include "planes/planned_files.h"

namespace kvo {
namespace fs = std::filesystem;

fs::path PlannedGameFiles::resolve(std::string_view name) const {
  return game_.dir() / nameToPath(change_.find(game_, name).value_or(std::string(name)));
}

std::optional<std::string> PlannedGameFiles::read(const fs::path& path, std::error_code& ec,
                                                  std::size_t limit) const {
  return change_.read(path, ec, limit);
}

}  // namespace kvo
