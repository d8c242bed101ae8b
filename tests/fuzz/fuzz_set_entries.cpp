// libFuzzer target: the autoscript entry reader on any bytes, checked against its own rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/text_file.h"
#include "scripts/set_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto entries = kvo::readSetEntries(bytes);
  std::size_t content = 0;
  for (const auto& entry : entries) {
    // No entry runs over a line end, and none is longer than the input.
    if (entry.find_first_of("\r\n") != std::string::npos) std::abort();
    content += entry.size();
    const auto name = kvo::entryName(entry);
    if (name.find_first_of("\\/") != std::string::npos) std::abort();
    if (!entry.ends_with(name)) std::abort();
    if (kvo::entryKey(name).size() != name.size()) std::abort();
  }
  if (content > size) std::abort();
  // Every line gives at least one entry.
  if (entries.size() < kvo::splitLines(bytes).size()) std::abort();
  return 0;
}
