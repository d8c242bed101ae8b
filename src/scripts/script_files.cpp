#include "scripts/script_files.h"

#include "platform/file_names.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "scripts/set_entries.h"
#include "state/game_change.h"

namespace kvo {
namespace fs = std::filesystem;

std::string scriptNameProblem(std::string_view fileName) {
  if (fileName.find_first_of("\\/") != std::string_view::npos) {
    return "a name cannot hold \\ or /, since the script must stay in the Autoscripts folder";
  }
  if (fileName.find("..") != std::string_view::npos) {
    return "a name cannot hold \"..\", since the script must stay in the Autoscripts folder";
  }
  // ".set" alone would be a hidden file without a name the list could show.
  if (fileName.starts_with('.')) return "a name cannot be empty or begin with a dot";
  return windowsNameProblem(fileName);
}

std::optional<std::vector<std::string>> readScriptEntries(const fs::path& file,
                                                          std::string& problem) {
  std::error_code ec;
  const auto bytes = readFileBytes(file, ec, read_limit::kScript);
  if (!bytes) {
    problem = describeFailure("read", file, ec);
    return std::nullopt;
  }
  return readSetEntries(*bytes);
}

}  // namespace kvo
