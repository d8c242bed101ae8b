// libFuzzer target: the autoscript entry reader on any bytes, checked against its own rules.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "scripts/set_entries.h"

namespace {

void check(std::string_view bytes);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Entries are strings of their own: a file of commas costs a few times its size, no more.
  kvo::fuzz::atSizeAndLimit(data, size, kvo::read_limit::kScript, check);
  return 0;
}

namespace {

void check(std::string_view bytes) {
  const auto size = bytes.size();
  const auto entries = kvo::fuzz::costOf(bytes, 4, [&] { return kvo::readSetEntries(bytes); });
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
  if (entries.size() > kvo::kMaxSetEntries) std::abort();
  // Every line gives at least one entry, up to the most read.
  std::size_t lines = 0;
  kvo::forEachLine(bytes, [&](std::string_view) { ++lines; });
  if (entries.size() < std::min(lines, kvo::kMaxSetEntries)) std::abort();
}

}  // namespace
