#include "scripts/script_files.h"

#include <array>

#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/text_file.h"
#include "scripts/set_entries.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// Windows opens the device instead of a file for these names, whatever the extension.
bool isDeviceName(std::string_view fileName) {
  std::string stem = toUpperAscii(fileName.substr(0, fileName.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  static constexpr std::array<std::string_view, 6> kPlain = {"CON", "PRN",    "AUX",
                                                             "NUL", "CONIN$", "CONOUT$"};
  for (const auto name : kPlain) {
    if (stem == name) return true;
  }
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
         stem[3] >= '0' && stem[3] <= '9';
}

}  // namespace

std::string scriptNameProblem(std::string_view fileName) {
  if (fileName.find_first_of("\\/") != std::string_view::npos) {
    return "a name cannot hold \\ or /, since the script must stay in the Autoscripts folder";
  }
  if (fileName.find("..") != std::string_view::npos) {
    return "a name cannot hold \"..\", since the script must stay in the Autoscripts folder";
  }
  for (const char c : fileName) {
    if (static_cast<unsigned char>(c) < 32) return "a name cannot hold control characters";
  }
  if (fileName.find_first_of("<>:\"|?*") != std::string_view::npos) {
    return "Windows does not allow any of < > : \" | ? * in a file name";
  }
  if (isDeviceName(fileName)) {
    return "Windows keeps the name " + toUpperAscii(fileName.substr(0, fileName.find('.'))) +
           " for a device";
  }
  return {};
}

std::optional<std::vector<std::string>> readScriptEntries(const fs::path& file,
                                                          std::string& problem) {
  std::error_code ec;
  const auto bytes = readFileBytes(file, ec);
  if (!bytes) {
    problem = describeFailure("read", file, ec);
    return std::nullopt;
  }
  return readSetEntries(*bytes);
}

}  // namespace kvo
