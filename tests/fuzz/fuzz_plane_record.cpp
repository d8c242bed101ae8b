// libFuzzer target: the plane record reader and the loadout patch readers on any bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "planes/loadout_patch.h"
#include "planes/plane_record.h"
#include "platform/read_limits.h"

namespace {

void checkPlaneRecord(std::string_view text) {
  const auto record = kvo::fuzz::costOf(text, 8, [&] { return kvo::readPlaneRecord(text); });
  if (record.artCode.size() > 4) std::abort();
  if (record.recordBytes.size() > kvo::kPlaneRecordLines - 1) std::abort();
  const auto patches = kvo::planeRecordPatches(record);
  if (!record.usable()) {
    if (!patches.empty()) std::abort();
    return;
  }
  // A usable record fills exactly bytes 4..171 of its own slot, and nothing else.
  if (record.slot < 0 || record.slot >= kvo::kPlaneSlotCount) std::abort();
  if (patches.size() != kvo::kPlaneRecordLines - 1) std::abort();
  const std::size_t base = kvo::kPlanesDatRecordSize * static_cast<std::size_t>(record.slot);
  for (const auto& patch : patches) {
    if (patch.offset < base + 4 || patch.offset > base + 171) std::abort();
  }
}

void checkLoadout(const kvo::LoadoutPatch& patch) {
  if (!patch.usable()) return;
  for (const auto& byte : patch.bytes) {
    if (byte.offset > 2147483646U) std::abort();
  }
}

void check(std::string_view text) {
  checkPlaneRecord(text);
  checkLoadout(kvo::fuzz::costOf(text, 50, [&] { return kvo::readLoxPatch(text); }));
  checkLoadout(kvo::fuzz::costOf(text, 50, [&] { return kvo::readSequentialPatch(text); }));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A record keeps only the lines it uses; a patch keeps one entry for each line it reads.
  kvo::fuzz::atSizeAndLimit(data, size, kvo::read_limit::kLoadoutPatch, check);
  return 0;
}
