// libFuzzer target: the plane-menu reader on any bytes, as each of the three sides, checked
// against its writer and against the menu window.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "gamefiles/plane_menu.h"
#include "gamefiles/pmnuform.h"

namespace {

bool sameMenu(const kvo::PlaneMenuFile& a, const kvo::PlaneMenuFile& b) {
  if (a.header != b.header || a.records.size() != b.records.size()) return false;
  for (std::size_t k = 0; k < a.records.size(); ++k) {
    if (a.records[k].name != b.records[k].name || a.records[k].tail != b.records[k].tail) {
      return false;
    }
  }
  return true;
}

void checkShape(const kvo::PlaneMenuFile& menu) {
  if (menu.header.size() != kvo::kMenuHeaderSize) std::abort();
  if (menu.records.size() != kvo::menuRecordCount(menu.side)) std::abort();
  for (std::size_t k = 0; k < menu.records.size(); ++k) {
    const auto& record = menu.records[k];
    if (record.tail.size() != kvo::menuTailSize(menu.side, k)) std::abort();
    if (record.name.find('\0') != std::string::npos || record.name.size() > 255) std::abort();
  }
}

bool hasOverlongName(const kvo::PlaneMenuFile& menu) {
  for (const auto& record : menu.records) {
    if (record.name.size() > kvo::kMenuMaxNameLength) return true;
  }
  return false;
}

void checkSide(std::size_t index, std::string_view bytes) {
  const auto side = kvo::menuSideOf(index);
  const auto read = kvo::ReadPlaneMenu(side, bytes);
  kvo::Pmnuform form;
  form.setCountryBut(static_cast<int>(index));
  if (form.Pmensee(bytes) != read.error) std::abort();
  const auto windowWritten = form.pmenwrite();
  if (!read.ok()) {
    if (!read.menu.records.empty() || windowWritten.ok()) std::abort();
    return;
  }
  checkShape(read.menu);
  const auto written = kvo::WritePlaneMenu(read.menu);
  // The only menu that reads but cannot be written holds a name its length byte cannot carry.
  if (written.ok() == hasOverlongName(read.menu)) std::abort();
  if (windowWritten.ok() != written.ok() || windowWritten.bytes != written.bytes) std::abort();
  if (!written.ok()) return;
  const auto again = kvo::ReadPlaneMenu(side, written.bytes);
  if (!again.ok() || !sameMenu(again.menu, read.menu)) std::abort();
  const auto rewritten = kvo::WritePlaneMenu(again.menu);
  if (!rewritten.ok() || rewritten.bytes != written.bytes) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (std::size_t index = 0; index < kvo::kMenuSideCount; ++index) checkSide(index, bytes);
  return 0;
}
