#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "demo_game.h"

#include "state/category_table.h"

namespace kvo::demo {
namespace {
namespace fs = std::filesystem;

// Writes files below one root and keeps the first failure; later writes are skipped, so a
// caller can describe a whole tree and check once at the end.
class TreeWriter final {
 public:
  explicit TreeWriter(fs::path root) : root_(std::move(root)) {}

  void folder(const fs::path& relative) {
    if (!error_) fs::create_directories(relative.empty() ? root_ : root_ / relative, error_);
  }

  void file(const fs::path& relative, std::string_view bytes) {
    folder(relative.parent_path());
    if (error_) return;
    std::ofstream out(root_ / relative, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) error_ = std::make_error_code(std::errc::io_error);
  }

  std::error_code error() const { return error_; }

 private:
  fs::path root_;
  std::error_code error_;
};

// A folder of the demo and the names of its files; contents.txt is written when the folder
// has a description.
struct DemoFolder {
  std::string_view name;
  std::string_view description;
  std::vector<std::string_view> files;
};

const fs::path kSelector = "KVO128";
const fs::path kSkins = kSelector / "Skinfolder";
const fs::path kScripts = kSelector / "Autoscripts";

std::string upper(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return out;
}

bool endsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

unsigned colourOf(std::string_view text) {
  unsigned hash = 2166136261U;
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619U;
  return (hash & 0x7F7F7FU) + 0x404040U;  // mid tones, so the stripe stays visible
}

// Plain data files: a readable tag, then bytes, so that every file of the demo differs.
std::string dataBytes(std::string_view tag, std::size_t size = 200) {
  std::string bytes = "KVO demo data: " + std::string(tag) + "\r\n";
  for (std::size_t i = 0; bytes.size() < size; ++i) {
    bytes.push_back(static_cast<char>((i * 7U + tag.size() * 13U) & 0xFFU));
  }
  return bytes;
}

std::string placeholderExe(std::string_view what) {
  return "MZ\r\nKVO demo placeholder for " + std::string(what) + ": not a program, do not run.\r\n";
}

FuelTable shiftedFuel(int delta) {
  FuelTable fuel = defaultFuel();
  for (auto& value : fuel) value = static_cast<std::uint16_t>(value + delta);
  return fuel;
}

std::string contentsText(std::string_view description) {
  return crlfLines({std::string(description), "Synthetic demo content made by kvo-demo."});
}

// The bytes of a file follow from its name, so folders only need to list names.
std::string fileBytes(std::string_view folder, std::string_view name) {
  const std::string key = upper(name);
  if (key == "PLANES.DAT") {
    if (folder == "F-Alternative Planes") return makePlanesDat(alternativePlanesFuel());
    if (folder == "Bf109G Winter") return makePlanesDat(shiftedFuel(1));
    return makePlanesDat(defaultFuel());
  }
  if (key == "MYPIC" || key == "SKINPIC" || endsWith(key, ".BMP")) {
    return makeBmp(48, 36, colourOf(std::string(folder) + "/" + std::string(name)));
  }
  if (endsWith(key, ".GIF")) return makeGif(colourOf(name));
  if (endsWith(key, ".EXE")) return placeholderExe(std::string(folder) + " " + std::string(name));
  return dataBytes(std::string(folder) + "/" + std::string(name));
}

void writeFolder(TreeWriter& out, const fs::path& parent, const DemoFolder& folder) {
  const fs::path dir = parent / folder.name;
  out.folder(dir);
  if (!folder.description.empty()) out.file(dir / "contents.txt", contentsText(folder.description));
  for (auto name : folder.files) out.file(dir / name, fileBytes(folder.name, name));
}

const std::vector<DemoFolder>& modFolders() {
  static const std::vector<DemoFolder> folders = {
      {"T-Normandy",
       "Normandy 1944: the invasion coast from Cherbourg to Le Havre.",
       {"normandy.ter", "normandy.tpc", "groundtex.bmp", "mypic", "ECAnormandy.ini", "normandy.ldr",
        "shared.pal"}},
      {"T-Burma",
       "Burma 1944: jungle and river valleys.",
       {"burma.ter", "burma.tpc", "groundtex.bmp", "preview.gif"}},
      {"T Desert", "", {"desert.ter", "desert.tpc"}},
      {"G-Water", "Clearer water with a sun glint.", {"water01.tpc", "water.pal", "shared.pal"}},
      {"G-Trees", "", {"trees01.3dz", "trees.pal"}},
      {"C-Career42",
       "Career set 1942 with two saved careers.",
       {"career1.sve", "career2.sve", "career42.spt", "mypic"}},
      {"C Career43", "", {"career43.sve", "career43.spt"}},
      {"F-Alternative Planes",
       "Flight models with three alternative planes.",
       {"planes.dat", "fighters.flt"}},
      {"F-Stock Flight Model", "The stock flight model.", {"planes.dat", "fighters.flt"}},
      {"s-Scenario1",
       "A single scenario over the Channel, with a save to start it from.",
       {"scenario1.msn", "scenario1.spt", "scenario1.sve"}},
      {"S-Skins", "", {"p51dskin.tpc", "sp09skin.tpc"}},
      {"H-Blue Sky", "A clear blue sky.", {"sky01.tpc", "sky.pal", "preview.gif"}},
      {"N-Engine Sounds", "", {"engine1.snd", "engine2.snd", "theme.bgm"}},
      {"N-Gun Sounds", "", {"guns.snd"}},
      {"X-German Speech", "German radio chatter.", {"german1.wsd", "german.wsp", "Chatline.txt"}},
      {"B-Autumn Screens", "", {"mainscr.pic", "mypic"}},
      {"W-Europe1942", "Europe 1942 complete set.", {"europe1942.spt", "mypic"}},
      {"O-Red Gunsight", "", {"gunsight.bmp"}},
      {"E-Patched Exe", "A patched game executable.", {"eaw.exe"}},
  };
  return folders;
}

const std::vector<DemoFolder>& skinFolders() {
  static const std::vector<DemoFolder> folders = {
      {"Bf109G Tropical", "Bf 109G in desert colours.", {"p109g.3dz", "p109g.tpc", "tropical.gif"}},
      {"Bf109G Winter",
       "Bf 109G in winter white, with its own PLANES.DAT and flight model: loading it undoes "
       "the planes installed into planes.dat.",
       {"p109g.3dz", "p109gw.tpc", "PLANES.DAT", "p109g.flt", "skinpic"}},
      {"Mustang Invasion", "", {"pp51d.3dz", "pp51d.tpc", "invasion.bmp"}},
      {"Spit Mk IX Desert",
       "Spitfire Mk IX in desert camouflage.",
       {"psp09.3dz", "psp09.tpc", "skinpic"}},
  };
  return folders;
}

void writeGameRoot(TreeWriter& out) {
  out.file("eaw.exe", placeholderExe("eaw.exe"));
  out.file("eawconfig.exe", placeholderExe("eawconfig.exe"));
  out.file("eaw.ini",
           crlfLines({"[Settings]", "Width=800", "Height=600", "ExtraSquads=2", "Day=6", "Month=6",
                      "PlaneSetNumber=1", "Detail=3", "Language=English", "[Sound]", "Volume=80"}));
  out.file("planes.dat", makePlanesDat(defaultFuel()));
  out.file("loadout.dat", makeLoadoutDat());
  out.file("pnames.str", makePnamesStr(defaultPlaneNames()));
  for (auto side : {MenuSide::B, MenuSide::A, MenuSide::G}) {
    out.file(menuFileName(side), makeMenuFile(side, defaultMenuNames(side)));
  }
  out.file("background", makeBmp(128, 96, 0x3060A0U));
  out.file("newpic", makeBmp(64, 48, 0xA06030U));
  // Names that Reset All must never sweep away.
  out.file("hof.dat", dataBytes("hall of fame"));
  out.file("Chatline.txt", crlfLines({"Tally ho!", "Break left!"}));
  out.file("extra.spt", dataBytes("extra"));
  out.file("Savedata/DefaultA.msn", dataBytes("default mission A"));
  out.file("Savedata/default7.MSN", dataBytes("default mission 7"));
  out.file("Savedata/Mission1.msn", dataBytes("player mission 1"));
}

// The set in use lives in Music and has no folder of its own; the others wait in theirs.
void writeMusic(TreeWriter& out) {
  out.file("Music.ini", crlfLines({"Big Band", "Classic Score", "Quiet Skies"}));
  out.file("Music/main.bgm", dataBytes("Classic Score main"));
  out.file("Music/combat.bgm", dataBytes("Classic Score combat"));
  out.file("Big Band/main.bgm", dataBytes("Big Band main"));
  out.file("Big Band/combat.bgm", dataBytes("Big Band combat"));
  out.file("Quiet Skies/main.bgm", dataBytes("Quiet Skies main"));
}

void writeSelectorFiles(TreeWriter& out) {
  out.file(kSelector / "kvo.ini", crlfLines(defaultCategoryLines()));
  out.file(kSelector / "FoldersLoaded.txt", "\r\n");
  out.file(kSelector / "CleanUp.ini",
           crlfLines({"P*.bmp;*.bgm;*.smk;*.fnt;*.wsd;*.fsp;*.pal;*.bak;*.tco;*.pco;*.bco;*.hm;"
                      "*.jpg;*.pcx;*.txt;mypic;planepic;skinpic;*.mnu;*.dat;*.mpc;*.wsp;*.pic;"
                      "*.spt;*.str;*.ter;*.tm;*.tpc;*.flt;*.3dz;*.snd;*.bil;*.bin;*.cpt",
                      "Only the first line is read."}));
  out.file(kSelector / "eaw.exe", placeholderExe("the spare eaw.exe"));
  out.file(kSelector / "UNUSED" / "T-Parked Terrain" / "parked.ter", dataBytes("parked"));
  out.folder(kScripts);
  out.folder(kSkins);
}

void writeAlternativePlanes(TreeWriter& out) {
  const fs::path fm = kSelector / "F-Alternative Planes";
  for (const auto& plane : demoAlternativePlanes()) {
    const fs::path dir = fm / plane.folder;
    const std::string stem = plane.artCode + "alt";
    out.file(dir / (stem + ".kvo"),
             makeKvoRecord(plane.name, plane.slot, plane.artCode, plane.fuel));
    if (plane.slot == 17) {
      out.file(dir / (stem + ".lo1"), makeLo1Patch(2000, {3, 1, 4, 1, 5}));
    } else {
      out.file(dir / (stem + ".lox"), makeLoxPatch({{100 + plane.slot, 7}, {1500, 42}}));
    }
    out.file(dir / (stem + ".flt"), dataBytes(plane.name + " flight model"));
    const std::string code(kPlaneCodes[static_cast<std::size_t>(plane.slot)]);
    out.file(dir / "contents.txt", contentsText(plane.name + " for slot " + code));
  }
}

// Lines as FoldersLoaded.txt holds them, plus the empty line a saved script ends with.
void writeAutoscripts(TreeWriter& out) {
  out.file(
      kScripts / "Normandy Invasion.set",
      crlfLines({"T-Normandy", "G-Water", "G-Trees", "N-Engine Sounds", "Mustang Invasion", ""}));
  out.file(kScripts / "Desert Campaign.set",
           crlfLines({"Desert war over Tunisia in 1943", "*****", "T Desert",
                      "F-Alternative Planes", "Spit Mk IX Desert", "P-Spitfire LF Mk IX", ""}));
  // A package whose complete set carries the picture shown for it.
  out.file(kScripts / "Europe 1942.set",
           crlfLines({"Europe in 1942 with the career of that year", "*****", "W-Europe1942",
                      "C-Career42", "H-Blue Sky", ""}));
}

std::string numbered(int number) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d", number);
  return text;
}

void writeBulk(TreeWriter& out, const DemoOptions& options) {
  static constexpr std::string_view kExtensions[] = {"ter", "tpc", "pal", "snd", "3dz", "spt"};
  const auto lines = defaultCategoryLines();
  for (int i = 0; i < options.bulkModFolders; ++i) {
    const char code = lines[static_cast<std::size_t>(i) % lines.size()].back();
    const fs::path dir = kSelector / (std::string(1, code) + "-Bulk " + numbered(i + 1));
    out.folder(dir);
    for (int j = 0; j < options.filesPerBulkFolder; ++j) {
      const std::string name = "b" + numbered(i + 1) + "_" + std::to_string(j) + "." +
                               std::string(kExtensions[static_cast<std::size_t>(j) % 6]);
      out.file(dir / name, dataBytes(name));
    }
  }
  for (int i = 0; i < options.bulkSkinFolders; ++i) {
    const auto code = kPlaneCodes[static_cast<std::size_t>(i) % kPlaneCodes.size()];
    const fs::path dir = kSkins / ("Bulk Skin " + numbered(i + 1));
    out.file(dir / ("p" + std::string(code) + ".3dz"), dataBytes(code));
    out.file(dir / ("p" + std::string(code) + numbered(i + 1) + ".tpc"), dataBytes(code));
  }
  for (int i = 0; i < options.bulkGameFiles; ++i) {
    const std::string name = "extra" + numbered(i + 1) + ".tpc";
    out.file(name, dataBytes(name));
  }
}

}  // namespace

FuelTable alternativePlanesFuel() {
  return shiftedFuel(250);
}

std::vector<DemoPlane> demoAlternativePlanes() {
  return {{"P-Bf 109G-10", "Bf 109G-10", 17, "109g", 1500},
          {"P-Mustang III", "Mustang Mk III", 4, "p51b", 1800},
          {"P-Spitfire LF Mk IX", "Spitfire LF Mk IXe", 11, "sp09", 1040}};
}

std::vector<std::string> demoModFolderNames() {
  std::vector<std::string> names;
  for (const auto& folder : modFolders()) names.emplace_back(folder.name);
  return names;
}

std::vector<std::string> demoSkinFolderNames() {
  std::vector<std::string> names;
  for (const auto& folder : skinFolders()) names.emplace_back(folder.name);
  return names;
}

std::error_code writeDemoGameFolder(const std::filesystem::path& dir, const DemoOptions& options) {
  TreeWriter out(dir);
  out.folder({});
  writeGameRoot(out);
  writeMusic(out);
  writeSelectorFiles(out);
  for (const auto& folder : modFolders()) writeFolder(out, kSelector, folder);
  writeAlternativePlanes(out);
  for (const auto& folder : skinFolders()) writeFolder(out, kSkins, folder);
  writeAutoscripts(out);
  writeBulk(out, options);
  return out.error();
}

}  // namespace kvo::demo
