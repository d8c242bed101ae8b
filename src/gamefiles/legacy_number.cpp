#include "gamefiles/legacy_number.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <system_error>

namespace kvo {

namespace {

// The characters Val() skips wherever they stand, even between digits.
bool isSkipped(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads characters of `text` while skipping blanks, tabs and line feeds.
class Reader final {
 public:
  explicit Reader(std::string_view text) : text_(text) { skip(); }
  bool atEnd() const { return pos_ >= text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[pos_]; }
  void next() {
    ++pos_;
    skip();
  }

 private:
  void skip() {
    while (pos_ < text_.size() && isSkipped(text_[pos_])) ++pos_;
  }
  std::string_view text_;
  std::size_t pos_ = 0;
};

int digitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

// "&H" and "&O" numbers: up to 16 bits they are 16-bit signed, up to 32 bits 32-bit signed,
// as Val() typed them ("&HFFFF" is -1, "&H10000" is 65536, "&HFFFFFFFF" is -1).
double parseBased(Reader& reader, int base, bool& overflow) {
  std::uint64_t value = 0;
  bool anyDigit = false;
  for (int digit = digitValue(reader.peek(), base); digit >= 0;
       digit = digitValue(reader.peek(), base)) {
    anyDigit = true;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    // Val() stopped with an overflow error; an unreadable number counts as none.
    if (value > 0xFFFFFFFFULL) {
      overflow = true;
      return 0;
    }
    reader.next();
  }
  if (!anyDigit) return 0;
  if (value <= 0xFFFFULL) return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// Whether a number from_chars found out of range was too large rather than too small: its
// decimal exponent (digits before the point, less one, plus the written exponent) is positive.
bool magnitudeAboveOne(std::string_view clean) {
  const auto e = clean.find('e');
  const auto mantissa = clean.substr(0, e);
  long long exponent = 0;
  if (e != std::string_view::npos) {
    const auto written = clean.substr(e + 1);
    const bool minus = written.starts_with('-');
    for (const char c : written) {
      if (isDigit(c) && exponent < 100000) exponent = exponent * 10 + (c - '0');
    }
    if (minus) exponent = -exponent;
  }
  const auto point = mantissa.find('.');
  const auto whole = mantissa.substr(0, point);
  const auto firstDigit = whole.find_first_not_of('0');
  if (firstDigit != std::string_view::npos) {
    exponent += static_cast<long long>(whole.size() - firstDigit) - 1;
  } else if (point != std::string_view::npos) {
    const auto fraction = mantissa.substr(point + 1);
    const auto nonZero = fraction.find_first_not_of('0');
    if (nonZero == std::string_view::npos) return false;
    exponent -= static_cast<long long>(nonZero) + 1;
  }
  return exponent > 0;
}

// Reads as parseLegacyNumber does; `overflow` says when the number was too large.
double parseLegacy(std::string_view text, bool& overflow) {
  Reader reader(text);
  if (reader.peek() == '&') {
    reader.next();
    const char kind = reader.peek();
    if (kind == 'H' || kind == 'h') {
      reader.next();
      return parseBased(reader, 16, overflow);
    }
    if (kind == 'O' || kind == 'o') {
      reader.next();
      return parseBased(reader, 8, overflow);
    }
    return 0;
  }

  // The number's characters without the skipped blanks, in the form from_chars reads (which
  // ignores the locale, unlike strtod).
  std::string clean;
  bool negative = false;
  if (reader.peek() == '+' || reader.peek() == '-') {
    negative = reader.peek() == '-';
    reader.next();
  }
  bool anyDigit = false;
  while (isDigit(reader.peek())) {
    clean += reader.peek();
    anyDigit = true;
    reader.next();
  }
  if (reader.peek() == '.') {
    reader.next();
    std::string fraction;
    while (isDigit(reader.peek())) {
      fraction += reader.peek();
      reader.next();
    }
    if (!fraction.empty()) {
      anyDigit = true;
      clean += '.';
      clean += fraction;
    }
  }
  if (!anyDigit) return 0;
  const char e = reader.peek();
  if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
    reader.next();
    std::string exponent = "e";
    if (reader.peek() == '+' || reader.peek() == '-') {
      exponent += reader.peek();
      reader.next();
    }
    bool anyExponentDigit = false;
    while (isDigit(reader.peek())) {
      exponent += reader.peek();
      anyExponentDigit = true;
      reader.next();
    }
    if (anyExponentDigit) clean += exponent;
  }

  double value = 0;
  const auto result = std::from_chars(clean.data(), clean.data() + clean.size(), value);
  // Too large or too small for a double: Val() stopped with an overflow error or gave 0.
  if (result.ec != std::errc()) {
    overflow = magnitudeAboveOne(clean);
    return 0;
  }
  return negative ? -value : value;
}

}  // namespace

double parseLegacyNumber(std::string_view text) {
  bool overflow = false;
  return parseLegacy(text, overflow);
}

std::optional<double> readLegacyNumber(std::string_view text) {
  bool overflow = false;
  const double value = parseLegacy(text, overflow);
  if (overflow) return std::nullopt;
  return value;
}

std::string formatLegacyNumber(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  if (value == 0) return "0";  // also -0

  // 15 significant digits, as the old boxes showed a double.
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  const std::string_view scientific(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const std::size_t ePos = scientific.find('e');
  std::string_view mantissa = scientific.substr(0, ePos);
  const int exponent = std::atoi(std::string(scientific.substr(ePos + 1)).c_str());

  std::string text;
  if (!mantissa.empty() && mantissa.front() == '-') {
    text += '-';
    mantissa.remove_prefix(1);
  }
  std::string digits;
  for (const char c : mantissa) {
    if (isDigit(c)) digits += c;
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  if (exponent >= 15 || exponent < -4) {
    // Beyond ordinary magnitudes the old boxes switched to "1.5E+15" and "2E-05".
    text += digits[0];
    if (digits.size() > 1) {
      text += '.';
      text.append(digits, 1);
    }
    text += exponent < 0 ? "E-" : "E+";
    const int magnitude = std::abs(exponent);
    if (magnitude < 10) text += '0';
    text += std::to_string(magnitude);
    return text;
  }
  if (exponent < 0) {
    text += "0.";
    text.append(static_cast<std::size_t>(-exponent - 1), '0');
    text += digits;
    return text;
  }
  const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
  if (digits.size() <= integerDigits) {
    text += digits;
    text.append(integerDigits - digits.size(), '0');
  } else {
    text.append(digits, 0, integerDigits);
    text += '.';
    text.append(digits, integerDigits);
  }
  return text;
}

bool toByteRoundEven(double value, std::uint8_t& out) {
  if (!std::isfinite(value)) return false;
  double whole = std::floor(value);
  const double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
  if (whole < 0 || whole > 255) return false;
  out = static_cast<std::uint8_t>(whole);
  return true;
}

}  // namespace kvo
