// libFuzzer target: splitLines on any bytes, checked against its own round trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"

namespace {

void check(std::string_view bytes) {
  [[maybe_unused]] const auto size = bytes.size();
  const auto lines = kvo::fuzz::costOf(bytes, 50, [&] { return kvo::splitLines(bytes); });

  std::size_t content = 0;
  for (const auto& line : lines) {
    if (line.find_first_of("\r\n") != std::string::npos) std::abort();
    content += line.size();
  }
  // Every byte is either in a line or one of the endings between them.
  std::size_t endings = 0;
  for (const char c : bytes) endings += (c == '\r' || c == '\n') ? 1 : 0;
  if (content + endings != size) std::abort();
  if (lines.size() > endings + 1) std::abort();

  // Written with CR LF and read back, the lines come out the same.
  const std::string joined = kvo::joinLinesCrLf(lines);
  if (kvo::splitLines(joined) != lines) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An empty line still costs a string: 32 bytes for each line end, and a growing list.
  kvo::fuzz::atSizeAndLimit(data, size, kvo::read_limit::kGameSettings, check);
  return 0;
}
