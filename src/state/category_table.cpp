#include "state/category_table.h"

namespace kvo {

const std::vector<std::string>& defaultCategoryLines() {
  static const std::vector<std::string> lines = {"Versions of the EAW.exe: E",
                                                 "Non-Career Complete Sets: W",
                                                 "Scenarios(No FM/skin etc): s",
                                                 "Campaign/Career full sets: C",
                                                 "Singlemission/Targets: Q",
                                                 "Flight- and Damagemodels: F",
                                                 "Gunsights: O",
                                                 "Bases: U",
                                                 "Sky and Horizon Sets: H",
                                                 "Cloudlayers: R",
                                                 "Groundobject Sets: D",
                                                 "Tree Sets: i",
                                                 "Terrain Sets: T",
                                                 "Game Sounds(multiselection): N",
                                                 "Speech (multiselection): X",
                                                 "Mainscreens: B",
                                                 "Screen Sets: K",
                                                 "Axis skins: g",
                                                 "Allied skins: a",
                                                 "Inflight map: M",
                                                 "Skin Sets: S",
                                                 "Graphics1 (multiselection): G",
                                                 "Graphics2 (multiselection): Z",
                                                 "Land Height(eaw16.hm): L",
                                                 "Frontlines: J",
                                                 "EAW.tm: V",
                                                 "Convoy Files: c"};
  return lines;
}

std::string categoryCodeOfLine(std::string_view line) {
  if (line.empty()) return {};
  return std::string(1, line.back());
}

std::string categoryDescriptionOfLine(std::string_view line) {
  return std::string(line.substr(0, line.find(':')));
}

std::vector<std::string> usableCategoryLines(const std::vector<std::string>& lines,
                                             Problems& problems) {
  constexpr std::size_t kMaxCategories = 256;
  std::vector<std::string> usable;
  int withoutColon = 0;
  for (const auto& line : lines) {
    if (line.find(':') == std::string::npos) {
      // An empty line or one without ":" would give a category with a junk code.
      if (!line.empty()) ++withoutColon;
      continue;
    }
    usable.push_back(line);
  }
  if (withoutColon > 0) {
    problems.add("kvo.ini: " + std::to_string(withoutColon) +
                 " line(s) without \":\" were ignored.");
  }
  if (usable.size() > kMaxCategories) {
    problems.add("kvo.ini: only the first 256 categories are used; " +
                 std::to_string(usable.size() - kMaxCategories) + " were ignored.");
    usable.resize(kMaxCategories);
  }
  return usable;
}

bool isMultiSelectionCode(std::string_view code) {
  return code == "G" || code == "X" || code == "Y" || code == "Z" || code == "N" || code == "K";
}

}  // namespace kvo
