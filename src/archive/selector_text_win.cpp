#include <windows.h>

#include "archive/selector_text.h"

namespace kvo {

namespace {

std::wstring wideOfUtf8(std::string_view utf8Name) {
  const int size = static_cast<int>(utf8Name.size());
  const int length =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Name.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (length > 0) {
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Name.data(), size, wide.data(), length);
  }
  return wide;
}

}  // namespace

std::optional<std::string> selectorTextOf(std::string_view utf8Name) {
  if (utf8Name.empty()) return std::string();
  const auto wide = wideOfUtf8(utf8Name);
  if (wide.empty()) return std::nullopt;
  const int size = static_cast<int>(wide.size());
  // No best fit: a character the code page lacks must not turn into a look-alike quietly.
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr,
                                         0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return std::nullopt;
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, text.data(), length, nullptr,
                      &usedDefault);
  if (usedDefault) return std::nullopt;
  return text;
}

}  // namespace kvo
