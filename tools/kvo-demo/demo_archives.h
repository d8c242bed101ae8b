#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

// Add-on archives as players download them, written with libarchive's writer: the few that
// kvo-demo puts beside a demo game folder to try `kvo install` on, and the archives the
// tests install.
namespace kvo::demo {

enum class ArchiveFormat { Zip, SevenZip, TarGz, TarXz };

enum class ItemKind { File, Folder, Symlink, Device };

// One entry: its name as stored (UTF-8, "/" between folders), and what it is.
struct ArchiveItem {
  std::string name;
  std::string bytes;  // a file's contents, or the target of a link
  ItemKind kind = ItemKind::File;
};

struct ArchiveOptions {
  // Zip names in code page 437 without the UTF-8 mark, as older Windows packers write them.
  bool zipCodePage437 = false;
  // Zip entries locked with this password (the old zip encryption); empty for none.
  std::string zipPassword{};
};

// Writes `items` as an archive of `format` to `file` (replaced when there).
std::error_code writeArchive(const std::filesystem::path& file, ArchiveFormat format,
                             const std::vector<ArchiveItem>& items,
                             const ArchiveOptions& options = {});

// The file names of the archives writeDemoArchives writes.
std::vector<std::string> demoArchiveNames();

// Writes into `dir` (created when missing) a zip of one terrain folder, a 7z of loose sky
// files that needs a category, a zip of a complete set and a zip whose entry leads out of
// the folder it would be unpacked into.
std::error_code writeDemoArchives(const std::filesystem::path& dir);

}  // namespace kvo::demo
