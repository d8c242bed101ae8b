#include <charconv>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "demo_archives.h"
#include "demo_game.h"

namespace {
namespace fs = std::filesystem;

constexpr std::string_view kUsage =
    "usage: kvo-demo DIR [--force] [--archives] [--bulk-mods N] [--files-per-mod M]\n"
    "                    [--bulk-skins K] [--bulk-game-files G]\n"
    "Writes a synthetic EAW game folder with the KVO128 selector folder into DIR.\n"
    "DIR must be missing or empty unless --force is given (existing files are overwritten).\n"
    "--archives also writes a few add-on archives into DIR-archives beside it, to try\n"
    "`kvo install` on (a zip, a 7z, a complete set and a hostile one).\n"
    "The bulk options add N mod folders of M files, K skin folders and G loose game files.\n";

struct Arguments {
  fs::path dir;
  bool force = false;
  bool archives = false;
  kvo::demo::DemoOptions options;
};

std::optional<int> parseCount(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

int* countOption(std::string_view name, kvo::demo::DemoOptions& options) {
  if (name == "--bulk-mods") return &options.bulkModFolders;
  if (name == "--files-per-mod") return &options.filesPerBulkFolder;
  if (name == "--bulk-skins") return &options.bulkSkinFolders;
  if (name == "--bulk-game-files") return &options.bulkGameFiles;
  return nullptr;
}

// Fills `args`; an empty message means success.
std::string parseArguments(const std::vector<std::string_view>& words, Arguments& args) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const auto word = words[i];
    if (word == "--force") {
      args.force = true;
    } else if (word == "--archives") {
      args.archives = true;
    } else if (int* target = countOption(word, args.options)) {
      const auto value = i + 1 < words.size() ? parseCount(words[i + 1]) : std::nullopt;
      if (!value) return std::string(word) + " needs a count of 0 or more";
      *target = *value;
      ++i;
    } else if (word.starts_with("-") || !args.dir.empty()) {
      return "unexpected argument " + std::string(word);
    } else {
      args.dir = fs::path(std::string(word));
    }
  }
  return args.dir.empty() ? "no folder given" : "";
}

// "DIR-archives" beside the demo folder DIR.
fs::path archivesFolder(const fs::path& dir) {
  auto name = dir.filename().empty() ? dir.parent_path().filename() : dir.filename();
  const auto parent = dir.filename().empty() ? dir.parent_path().parent_path() : dir.parent_path();
  return parent / (name.string() + "-archives");
}

bool isNonEmptyFolder(const fs::path& dir) {
  std::error_code ec;
  return fs::exists(dir, ec) && !(fs::is_directory(dir, ec) && fs::is_empty(dir, ec));
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> words(argv + 1, argv + argc);
  if (words.size() == 1 && (words[0] == "--help" || words[0] == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  Arguments args;
  if (const auto problem = parseArguments(words, args); !problem.empty()) {
    std::cerr << "kvo-demo: " << problem << "\n" << kUsage;
    return 2;
  }
  if (!args.force && isNonEmptyFolder(args.dir)) {
    std::cerr << "kvo-demo: " << args.dir.string()
              << " exists and is not an empty folder; nothing written (use --force to write "
                 "into it anyway)\n";
    return 1;
  }
  if (const auto ec = kvo::demo::writeDemoGameFolder(args.dir, args.options)) {
    std::cerr << "kvo-demo: could not write the demo into " << args.dir.string() << ": "
              << ec.message() << "\n";
    return 1;
  }
  std::cout << "Demo game folder written to " << args.dir.string() << "\n";
  if (!args.archives) return 0;
  const auto archives = archivesFolder(args.dir);
  if (const auto ec = kvo::demo::writeDemoArchives(archives)) {
    std::cerr << "kvo-demo: could not write the demo archives into " << archives.string() << ": "
              << ec.message() << "\n";
    return 1;
  }
  std::cout << "Add-on archives to try `kvo install` on written to " << archives.string() << "\n";
  return 0;
}
