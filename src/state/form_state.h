#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "state/grid.h"

namespace kvo {

// A list box: its entries and the selected index (-1 for none).
struct ListBox {
  std::vector<std::string> items;
  int index = -1;
  bool visible = true;
  const std::string& selectedText() const;
  void clear() {
    items.clear();
    index = -1;
  }
};

// The six eaw.ini settings boxes of the "General Settings" tab, keyed as in eaw.ini.
struct SettingsBoxes {
  std::string text5;   // Width=
  std::string text6;   // Height=
  std::string text4;   // ExtraSquads=
  std::string text7;   // Day=
  std::string text88;  // Month=
  std::string text11;  // PlaneSetNumber=
};

// Fuel values of the 30 plane slots before any is known.
inline std::array<int, 30> unknownFuel() {
  std::array<int, 30> values{};
  values.fill(-1);
  return values;
}

// Everything the main window shows and remembers, kept free of any toolkit so that every
// operation can run and be tested without a window. Members carry the window's control names.
struct FormState {
  std::filesystem::path GameDir;
  std::filesystem::path SelectorDir;

  bool GridReady = false;
  bool SkinGridReady = false;
  Colour DefaultCellColour = 0;

  Grid Unigrid{1, 3};
  Grid SK1{1, 3};
  Grid G1{1, 5};

  ListBox List3;  // category filter
  ListBox List1;  // plane filter
  ListBox List6;  // executables
  ListBox List4;  // music sets
  ListBox GUPC;   // autoscripts offered as packages

  // Autoscripts and packages.
  ListBox File10;               // every file of the Autoscripts folder
  ListBox List2;                // entries of the previewed autoscript
  ListBox List9;                // entries of the previewed package
  bool SetWarnVisible = false;  // the overwrite prompt
  std::string Label51;          // package or entry description
  std::string ScriptPlan;       // what replaying the previewed autoscript would change
  std::string PackagePlan;      // what loading the previewed package would change

  std::array<std::string, 256> CategoryCodes{};
  std::array<std::string, 31> PlaneCodes{};
  std::array<std::string, 11> MusicSets{};

  std::string caption = "KVO";
  std::string EAWDirLabel;
  std::string Label1;
  std::array<std::string, 2> Label18{};  // screen width and height in pixels
  std::string Label8;
  bool Label8Visible = false;
  std::string Text2;
  std::string Label6;  // code of the chosen category
  std::string Label2;  // mod folder of G1 with a trailing separator
  std::string Label11;
  std::string Label26;  // fuel value
  std::string Label27;  // fuel position
  int fuelSlot = -1;    // the plane slot whose fuel Label26 and Label27 show
  std::string Label29 = "Online client AutoLoad area";
  std::string AutoLoadCaption;
  std::string Text3;  // skin name offered for renaming
  std::string Text9;
  std::string Text10;
  std::string Text14;
  std::string MyLabel;
  SettingsBoxes settings;     // the six boxes as they show, typed values included
  SettingsBoxes iniSettings;  // the six values as eaw.ini held them when last read or saved

  bool Frame6Visible = false;
  bool Frame21Visible = false;
  bool skinControlsVisible = false;  // List1, SK1, Label7, Command12, Text3
  bool Check5 = false;               // "Include flt files" for the skin operations
  // "Keep the game's own files when a folder replaces them"; remembered in the selector folder.
  bool KeepOriginals = false;
  // "Link files instead of copying them"; `DeployBy` of the same file.
  bool DeployByLink = false;
  std::string ConflictText;  // what loading the hovered folder would overwrite

  std::filesystem::path BackgroundPicture;  // empty: no picture
  std::filesystem::path MyImage;
  std::filesystem::path Image2;
  std::filesystem::path Image3;
  std::filesystem::path Image4;

  // Full fuel and its 1-based position in planes.dat of each slot; -1 until a flight model's
  // planes.dat told it.
  std::array<int, 30> FuelValues = unknownFuel();
  std::array<int, 30> FuelPositions{};

  int lastHoveredRow = -1;
};

}  // namespace kvo
