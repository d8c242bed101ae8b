#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "gamefiles/file_bytes.h"
#include "gamefiles/plane_menu.h"

namespace kvo {

// The plane-menu window: never shown, it holds one plane-menu file while the plane install
// replaces names in it. Its controls are kept as the window shows them (names in bmnutb,
// lengths in mlen, header and tails as decimal text); the raw header and tails are kept beside
// them. The caller reads and commits the file; this only turns bytes into controls and back.
class Pmnuform final {
 public:
  static constexpr int kEntries = static_cast<int>(kMenuMaxRecords);

  Pmnuform();

  // Whether option button `index` (0 "B", 1 "A", 2 "G") is on; exactly one is.
  bool CountryBut(int index) const;
  // Turns option button `index` on and the other two off; out of range changes nothing.
  void setCountryBut(int index);
  // The side whose option button is on.
  MenuSide side() const;

  // The header bytes of the last file read, as text.
  const std::string& hedlab() const { return hedlab_; }
  // The length caption of entry `index`: its name's characters plus one.
  const std::string& mlen(int index) const;
  // The name of entry `index`.
  const std::string& bmnutb(int index) const;
  // Replaces the name of entry `index` and with it mlen(index); false outside 0..10.
  bool setBmnutb(int index, std::string text);
  // The tail bytes of entry `index`, as text.
  const std::string& position(int index) const;

  // Reads the bytes of the selected side's file into the controls; the error or "". After an
  // error the controls are empty and pmenwrite refuses until a read succeeds.
  std::string Pmensee(std::string_view bytes, std::string_view fileName = {});
  // The new bytes of the selected side's file from the controls, or why not: also refused
  // when the selected side is not the one last read, whose header and tails it would mix in.
  FileBytes pmenwrite(std::string_view fileName = {}) const;

 private:
  void clearControls();
  void show(const PlaneMenuFile& menu);

  std::array<bool, kMenuSideCount> countryBut_{true, false, false};
  std::string header_;
  std::string hedlab_;
  std::array<std::string, kMenuMaxRecords> tails_;
  std::array<std::string, kMenuMaxRecords> bmnutb_;
  std::array<std::string, kMenuMaxRecords> mlen_;
  std::array<std::string, kMenuMaxRecords> position_;
  std::optional<MenuSide> sideRead_;
};

}  // namespace kvo
