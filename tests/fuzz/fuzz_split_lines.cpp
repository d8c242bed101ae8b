// libFuzzer target: splitLines on any bytes, checked against its own round trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto lines = kvo::splitLines(bytes);

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
  return 0;
}
