// libFuzzer target: parseLegacyNumber on any text, with formatLegacyNumber reading back.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "gamefiles/legacy_number.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double value = kvo::parseLegacyNumber(text);
  // Overflow gives 0, never infinity or NaN; the plane files' reader says it overflowed.
  if (!std::isfinite(value)) std::abort();
  const auto checked = kvo::readLegacyNumber(text);
  if (checked && *checked != value) std::abort();
  if (!checked && value != 0) std::abort();

  const std::string shown = kvo::formatLegacyNumber(value);
  if (shown.empty() || shown.find(' ') != std::string::npos) std::abort();
  // The shown text keeps 15 significant digits, so it reads back to nearly the same number.
  const double back = kvo::parseLegacyNumber(shown);
  if (std::abs(back - value) > std::abs(value) * 1e-14) std::abort();
  if (kvo::formatLegacyNumber(back) != shown) std::abort();

  std::uint8_t byte = 0;
  if (kvo::toByteRoundEven(value, byte)) {
    if (std::abs(static_cast<double>(byte) - value) > 0.5) std::abort();
  } else if (value > -0.5 && value < 255.5) {
    std::abort();
  }
  return 0;
}
