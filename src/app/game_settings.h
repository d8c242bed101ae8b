#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "state/form_state.h"
#include "state/game_folder.h"
#include "state/outcome.h"

namespace kvo {

// The six settings of eaw.ini on the "General Settings" tab, and the whole-file viewer.
class GameSettings final {
 public:
  GameSettings(FormState& state, GameFolder& game) : state_(state), game_(game) {}

  // Fills the six boxes from eaw.ini; what could not be read, or "".
  std::string IniRead();
  // Writes `boxes` into eaw.ini (Enter in a box), keeping every other line; refuses, writing
  // nothing, when a typed value is no whole number in the game's range (Width and Height
  // 320-7680, Day 1-31, Month 1-12, ExtraSquads and PlaneSetNumber 0 or more).
  Outcome inisave(const SettingsBoxes& boxes);
  // The values of `boxes` that eaw.ini does not hold as last read or saved, which leaving the
  // box without Enter would lose: a sentence for the status line, or "" when there are none.
  std::string unsavedSettings(const SettingsBoxes& boxes) const;
  // Shows the whole of eaw.ini in Text14.
  Outcome IniEdit_Click();
  // Saves `text` (the viewer's) as the whole of eaw.ini, then reads the six boxes back.
  Outcome InSaver_Click(const std::string& text);
  // Hides the whole-file viewer (click and double-click alike).
  void Frame21_Click();

 private:
  std::optional<std::filesystem::path> existingIni() const;
  Outcome replaceIni(std::string action, const std::filesystem::path& ini, std::string bytes);
  FormState& state_;
  GameFolder& game_;
};

// The six setting names as eaw.ini spells them ("Width"), in the order the keys are tested.
const std::array<std::string_view, 6>& settingNames();

// The box that holds setting `name`, or nullptr when `name` is not one of settingNames().
std::string* settingBox(SettingsBoxes& boxes, std::string_view name);

}  // namespace kvo
