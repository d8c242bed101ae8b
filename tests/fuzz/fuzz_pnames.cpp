// libFuzzer target: the plane-name table reader on any bytes, checked against its writer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "gamefiles/pnameform.h"
#include "gamefiles/pnames.h"
#include "platform/read_limits.h"

namespace {

void check(std::string_view bytes) {
  [[maybe_unused]] const auto size = bytes.size();
  const auto read = kvo::fuzz::costOf(bytes, 8, [&] { return kvo::readPnames(bytes); });
  kvo::Pnameform form;
  const std::string loadError = form.LoadPnames(bytes);
  if (loadError != read.error) std::abort();
  if (!read.ok()) {
    if (!read.names.empty() || form.Grid.rows() != 0) std::abort();
    if (read.error.find("pnames.str") == std::string::npos) std::abort();
    if (form.SavePnames().ok()) std::abort();
    return;
  }
  if (read.names.size() < kvo::kPnamesMinimumNames) std::abort();
  // Strings never overlap in a valid table, so together they cannot outgrow the file.
  std::size_t text = 0;
  for (const auto& name : read.names) text += name.size() + 1;
  if (text > size) std::abort();

  // Written and read back, the table is the same, and writing that again changes no byte.
  const auto saved = form.SavePnames();
  if (!saved.ok() || saved.bytes != kvo::writePnames(read.names)) std::abort();
  const auto again = kvo::readPnames(saved.bytes);
  if (!again.ok() || again.names != read.names) std::abort();
  if (kvo::writePnames(again.names) != saved.bytes) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Names cannot overlap, so the table holds no more than the file.
  kvo::fuzz::atSizeAndLimit(data, size, kvo::read_limit::kPlaneNames, check);
  return 0;
}
