#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

// A synthetic EAW game folder with the selector's folder inside it: the demo that kvo-demo
// writes, and the fixture that the tests and benchmarks build their temporary game folders from.
// Every byte is generated here; nothing comes from a real game installation.
namespace kvo::demo {

inline constexpr int kSlotCount = 30;
inline constexpr std::size_t kPlaneRecordSize = 216;

// The game's plane code of each slot, in slot order.
inline constexpr std::array<std::string_view, kSlotCount> kPlaneCodes = {
    "p38h", "p38j", "p47c", "p47d", "p51b", "p51d", "bb17", "b24a", "b26a", "hurr",
    "sp2a", "sp09", "sp14", "typh", "temp", "mosq", "109e", "109g", "109k", "110c",
    "110g", "m410", "190a", "190d", "262a", "j88a", "j88c", "ju87", "h111", "v1v1"};

using FuelTable = std::array<std::uint16_t, kSlotCount>;

// Extra bulk content for benchmarks; the zero defaults give the plain demo folder.
struct DemoOptions {
  int bulkModFolders = 0;      // mod folders spread over the category codes of kvo.ini
  int filesPerBulkFolder = 5;  // small files in each of those
  int bulkSkinFolders = 0;     // skin folders, each with one p*.3dz model
  int bulkGameFiles = 0;       // loose files in the game folder itself
};

// Writes the demo game folder into `dir` (created when missing; existing files are overwritten).
std::error_code writeDemoGameFolder(const std::filesystem::path& dir,
                                    const DemoOptions& options = {});

// Names of the demo's mod folders in KVO128, without the bulk ones.
std::vector<std::string> demoModFolderNames();

// Names of the demo's skin folders in KVO128\Skinfolder, without the bulk ones.
std::vector<std::string> demoSkinFolderNames();

// The plane names of the demo's pnames.str: one per slot, then a few names the menus never use.
std::vector<std::string> defaultPlaneNames();

// Full fuel of each slot in the demo's own planes.dat.
FuelTable defaultFuel();

// Full fuel of each slot in the planes.dat of "F-Alternative Planes" (differs in every slot).
FuelTable alternativePlanesFuel();

// One alternative plane of "F-Alternative Planes": a "P-" subfolder and its plane record.
struct DemoPlane {
  std::string folder;
  std::string name;
  int slot;
  std::string artCode;
  std::uint16_t fuel;
};

// The alternative planes of "F-Alternative Planes", in folder name order.
std::vector<DemoPlane> demoAlternativePlanes();

// planes.dat: 30 records of 216 bytes carrying slot, fuel and art code (kPlaneCodes) at their
// offsets; every other byte is deterministic filler that differs from record to record.
std::string makePlanesDat(const FuelTable& fuel);

// loadout.dat: `size` deterministic bytes, as the game's file has no structure the selector reads.
std::string makeLoadoutDat(std::size_t size = 6144);

// pnames.str: header, offset table and zero-ended strings.
std::string makePnamesStr(const std::vector<std::string>& names);

enum class MenuSide { B, A, G };

// File name of a side's plane-menu file, e.g. "picplnb.mnu".
std::string_view menuFileName(MenuSide side);

// Number of records in a side's plane-menu file (9 for B and A, 11 for G).
int menuRecordCount(MenuSide side);

// A plane-menu file: a 35-byte header, then one record per name (missing names are empty, extra
// names are dropped; each name under 255 characters); header and tails are per-record filler.
std::string makeMenuFile(MenuSide side, const std::vector<std::string>& names);

// The names a side's menu shows in the demo, taken from defaultPlaneNames().
std::vector<std::string> defaultMenuNames(MenuSide side);

// A *.kvo plane record: the name, then the 168 record bytes 4..171 as decimal lines (CR LF).
std::string makeKvoRecord(std::string_view name, int slot, std::string_view artCode,
                          std::uint16_t fuel);

// A *.lox loadout patch: a position line and a value line per pair (1-based positions).
std::string makeLoxPatch(const std::vector<std::pair<int, int>>& positionValues);

// A *.lo1 / *.lo2 loadout patch: the start position, then one value per line.
std::string makeLo1Patch(int startPosition, const std::vector<int>& values);

// Text lines each ended by CR LF.
std::string crlfLines(const std::vector<std::string>& lines);

// An uncompressed 24-bit BMP of the given size: a colour with a diagonal stripe.
std::string makeBmp(int width, int height, std::uint32_t rgb);

// A 1x1 GIF89a of one colour.
std::string makeGif(std::uint32_t rgb);

}  // namespace kvo::demo
