#include "archive/entry_names.h"
#include "archive/selector_text.h"

namespace kvo {

std::optional<std::string> selectorTextOf(std::string_view utf8Name) {
  const auto decoded = decodeUtf8(utf8Name);
  if (!decoded) return std::nullopt;
  for (const char32_t c : *decoded) {
    if (!heldByWindows1252(c)) return std::nullopt;
  }
  return std::string(utf8Name);
}

}  // namespace kvo
