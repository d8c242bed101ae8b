#include "platform/file_names.h"

#include <array>

namespace kvo {

namespace {

constexpr std::string_view kForbidden = "\\/:*?\"<>|";

char upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Windows opens the device instead of a file for these names, whatever the extension.
std::string deviceNameOf(std::string_view name) {
  std::string stem;
  for (const char c : name.substr(0, name.find('.'))) stem += upper(c);
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  static constexpr std::array<std::string_view, 6> kPlain = {"CON", "PRN",    "AUX",
                                                             "NUL", "CONIN$", "CONOUT$"};
  for (const auto device : kPlain) {
    if (stem == device) return stem;
  }
  const bool numbered = stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
                        stem[3] >= '0' && stem[3] <= '9';
  return numbered ? stem : std::string();
}

}  // namespace

std::string windowsNameProblem(std::string_view name) {
  if (name.empty()) return "the name is empty";
  if (name == "." || name == "..") return "\"" + std::string(name) + "\" names a folder itself";
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 32) return "it holds a control character";
    if (kForbidden.find(c) != std::string_view::npos) {
      return "it holds " + std::string(1, c) + ", which Windows does not allow in a name";
    }
  }
  if (name.back() == '.' || name.back() == ' ') {
    return "it ends in a dot or a space, which Windows drops from a name";
  }
  if (const auto device = deviceNameOf(name); !device.empty()) {
    return "Windows keeps the name " + device + " for a device";
  }
  return {};
}

}  // namespace kvo
