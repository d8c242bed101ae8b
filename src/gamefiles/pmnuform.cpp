#include "gamefiles/pmnuform.h"

#include <utility>

namespace kvo {

namespace {

bool inRange(int index) {
  return index >= 0 && index < Pmnuform::kEntries;
}

const std::string& at(const std::array<std::string, kMenuMaxRecords>& texts, int index) {
  static const std::string kNone;
  return inRange(index) ? texts[static_cast<std::size_t>(index)] : kNone;
}

}  // namespace

Pmnuform::Pmnuform() {
  clearControls();
}

bool Pmnuform::CountryBut(int index) const {
  return index >= 0 && index < static_cast<int>(kMenuSideCount) &&
         countryBut_[static_cast<std::size_t>(index)];
}

void Pmnuform::setCountryBut(int index) {
  if (index < 0 || index >= static_cast<int>(kMenuSideCount)) return;
  countryBut_.fill(false);
  countryBut_[static_cast<std::size_t>(index)] = true;
}

MenuSide Pmnuform::side() const {
  for (std::size_t i = 0; i < kMenuSideCount; ++i) {
    if (countryBut_[i]) return menuSideOf(i);
  }
  return MenuSide::B;
}

const std::string& Pmnuform::mlen(int index) const {
  return at(mlen_, index);
}

const std::string& Pmnuform::bmnutb(int index) const {
  return at(bmnutb_, index);
}

const std::string& Pmnuform::position(int index) const {
  return at(position_, index);
}

bool Pmnuform::setBmnutb(int index, std::string text) {
  if (!inRange(index)) return false;
  const auto k = static_cast<std::size_t>(index);
  mlen_[k] = std::to_string(text.size() + 1);
  bmnutb_[k] = std::move(text);
  return true;
}

void Pmnuform::clearControls() {
  header_.clear();
  hedlab_.clear();
  for (int k = 0; k < kEntries; ++k) {
    setBmnutb(k, {});
    tails_[static_cast<std::size_t>(k)].clear();
    position_[static_cast<std::size_t>(k)].clear();
  }
  sideRead_.reset();
}

void Pmnuform::show(const PlaneMenuFile& menu) {
  header_ = menu.header;
  hedlab_ = bytesAsText(menu.header);
  for (std::size_t k = 0; k < menu.records.size(); ++k) {
    setBmnutb(static_cast<int>(k), menu.records[k].name);
    tails_[k] = menu.records[k].tail;
    position_[k] = bytesAsText(menu.records[k].tail);
  }
  sideRead_ = menu.side;
}

std::string Pmnuform::Pmensee(std::string_view bytes, std::string_view fileName) {
  // Every slot is emptied first, so a side with 9 records leaves slots 9 and 10 empty.
  clearControls();
  const auto read = ReadPlaneMenu(side(), bytes, fileName);
  if (!read.ok()) return read.error;
  show(read.menu);
  return {};
}

FileBytes Pmnuform::pmenwrite(std::string_view fileName) const {
  const MenuSide selected = side();
  if (sideRead_ != selected) {
    const std::string file(fileName.empty() ? menuFileName(selected) : fileName);
    return {{}, file + " has not been read, so it cannot be written back."};
  }
  PlaneMenuFile menu{selected, header_, {}};
  for (std::size_t k = 0; k < menuRecordCount(selected); ++k) {
    menu.records.push_back({bmnutb_[k], tails_[k]});
  }
  return WritePlaneMenu(menu, fileName);
}

}  // namespace kvo
