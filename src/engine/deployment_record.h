#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kvo {

// The file name of the deployment record in the selector folder.
inline constexpr std::string_view kDeploymentRecordName = "FilesLoaded.txt";

// What a file's first provider found in its place in the game folder.
enum class Original {
  None,      // nothing: the file goes when its last provider is unloaded
  Replaced,  // a file of the game itself, overwritten and not kept
  Kept,      // a file of the game itself, moved into the originals store
};

// One file that loading put into the game folder.
struct DeployedFile {
  std::string file;  // below the game folder, its parts joined by '\'
  Original original = Original::None;
  std::vector<std::string> providers;  // loaded folders in load order; the last one is in place
};

// Which loaded folder provided each file of the game folder, and what it replaced.
class DeploymentRecord final {
 public:
  // Reads the record's bytes; nothing when they are not a record of this version. Lines
  // that name a place no load puts a file (outside the game folder, in KVO128 or in KVO
  // Originals, a mission outside Savedata...) or are cut short are left out, and kept in
  // dropped().
  static std::optional<DeploymentRecord> parse(std::string_view bytes);
  // The lines parse() left out, as they were.
  const std::vector<std::string>& dropped() const { return dropped_; }
  // The record as CR LF lines of 8-bit text.
  std::string text() const;

  // The entry of `file` (any letter case), or null.
  DeployedFile* find(std::string_view file);
  const DeployedFile* find(std::string_view file) const;
  // The entry of `file`, added without providers when there is none.
  DeployedFile& entry(std::string_view file);
  // Forgets every entry that no folder provides any more.
  void dropUnprovided();
  // Takes `folder` and its patches out of every entry's providers.
  void withdraw(std::string_view folder);
  // True when some entry names `folder` as a provider.
  bool provides(std::string_view folder) const;

  const std::vector<DeployedFile>& files() const { return files_; }
  std::vector<DeployedFile>& files() { return files_; }

 private:
  void reindex();
  // The entry whose file is `file` in any letter case, by the table below; or none.
  std::optional<std::size_t> indexOf(std::string_view file) const;
  void place(std::size_t index);
  std::vector<DeployedFile> files_;
  // Entry index + 1 by the file's hash without regard to case, linear probing; 0 is free. A
  // table of numbers rather than a map of upper-cased copies: a record of 100,000 files is
  // read on every click.
  std::vector<std::uint32_t> slots_;
  std::vector<std::string> dropped_;
};

// The key of a record path: the same for every letter case, as Windows looks names up.
std::string recordKey(std::string_view file);
// The last part of a record path: the file's name in the folder that provides it.
std::string_view recordFileName(std::string_view file);

// True when `name` can stand in the record as a folder or as one part of a file's path.
bool recordableName(std::string_view name);

// True when loading a file could put it at the record path `file`: a file of the game folder
// itself, a mission or save in Savedata, music in Music; never KVO128 or KVO Originals.
bool deployablePath(std::string_view file);

// Providers that are not mod folders of the selector folder. Their names hold a ':', which no
// mod folder's name can, so that they never clash with one.
// The provider of a skin's files: the skin folder `skin` of the skin folder list.
std::string skinProvider(std::string_view skin);
// The skin a provider names, or "" when it is no skin.
std::string_view skinOf(std::string_view provider);
// The provider of a file that an install or a fuel button wrote whole (no folder holds it):
// the loaded folder `owner` whose planes it installs, and the written bytes' hash.
std::string patchProvider(std::string_view owner, std::string_view bytes);
// The loaded folder a patch provider belongs to, or "" when it is no patch.
std::string_view patchOwner(std::string_view provider);
// True when `provider` names a patch whose bytes `bytes` are.
bool patchHolds(std::string_view provider, std::string_view bytes);
// True when `provider` is `folder` itself or a patch that belongs to it.
bool providedBy(std::string_view provider, std::string_view folder);
// The provider of a file that a Reset All which could not finish left in the game folder, by
// the provider that put it there: it stays in the record until a later one takes it away.
std::string leftProvider(std::string_view provider);
// The provider that put a left-behind file there (see leftProvider); `provider` itself for any
// other.
std::string_view baseProvider(std::string_view provider);
// True when `provider` can stand in the record as a provider.
bool recordableProvider(std::string_view provider);

// True for a saved career (".sve"): it is the player's, and no unload but a career folder's
// own takes it away.
bool isSaveName(std::string_view name);

}  // namespace kvo
