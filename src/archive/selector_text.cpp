#include "archive/selector_text.h"

#include <filesystem>

#include "platform/listing.h"

namespace kvo {

namespace {

std::filesystem::path pathOfUtf8(std::string_view utf8Name) {
  return std::filesystem::path(std::u8string(utf8Name.begin(), utf8Name.end()));
}

}  // namespace

std::string utf8OfSelectorText(std::string_view text) {
  const auto utf8 = nameToPath(text).u8string();
  return std::string(utf8.begin(), utf8.end());
}

std::string displayName(std::string_view utf8Name) {
  std::string shown;
  try {
    shown = pathToText(pathOfUtf8(utf8Name));
  } catch (const std::exception&) {
    shown = utf8Name;  // not UTF-8: shown as it came
  }
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  }
  return shown;
}

}  // namespace kvo
