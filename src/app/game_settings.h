#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kvo {

class Core;
struct SettingsBoxes;

// The key that saves the settings boxes.
inline constexpr int kEnterKey = 13;

// The six settings of eaw.ini on the "General Settings" tab, and the whole-file viewer.
class GameSettings final {
 public:
  explicit GameSettings(Core& core) : s_(core) {}

  // Fills the six boxes from eaw.ini.
  void IniRead();
  // Writes the six boxes into eaw.ini, keeping every other line.
  void inisave();
  // A key press in Text5, Text6, Text4, Text7, Text88 or Text11: Enter saves.
  void Text_KeyPress(int keyAscii);
  // Shows the whole of eaw.ini in Text14.
  void IniEdit_Click();
  // Saves Text14 as the whole of eaw.ini, then reads the six boxes back.
  void InSaver_Click();
  // Hides the whole-file viewer (click and double-click alike).
  void Frame21_Click();

 private:
  std::optional<std::filesystem::path> existingIni() const;
  bool refuseLineBreaks();
  bool replaceIni(const std::filesystem::path& ini, std::string bytes);
  void fail(const std::string& text);
  Core& s_;
};

// The six setting names as eaw.ini spells them ("Width"), in the order the keys are tested.
const std::array<std::string_view, 6>& settingNames();

// The box that holds setting `name`, or nullptr when `name` is not one of settingNames().
std::string* settingBox(SettingsBoxes& boxes, std::string_view name);

}  // namespace kvo
