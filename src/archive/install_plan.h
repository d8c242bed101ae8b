#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_layout.h"
#include "archive/archive_limits.h"
#include "archive/entry_reader.h"
#include "archive/entry_scan.h"
#include "state/form_state.h"
#include "state/load_record.h"

// Installing an add-on from the archive it came in (or from a folder the player drops), first
// part: what the source holds and where each of its parts goes, decided from its directory
// alone without changing anything.
namespace kvo {

// What the player asks for.
struct InstallRequest {
  std::filesystem::path archive{};  // or a folder, copied in as if it were an archive of itself
  std::string category{};           // a code of kvo.ini; empty: the archive tells it
  std::string name{};    // the name after "CODE-" (a skin folder's whole name); empty: the
                         // archive's folder or file name
  bool replace = false;  // a folder of that name is replaced, unless it is loaded
};

// One folder (or autoscript file) that the install makes appear.
struct InstallTarget {
  TargetKind kind = TargetKind::ModFolder;
  std::string name;                // as the selector lists it
  std::filesystem::path path;      // where it appears
  std::filesystem::path replaced;  // the folder or file it takes the place of; empty if none
};

inline constexpr std::size_t kNoTarget = static_cast<std::size_t>(-1);

// One entry of the archive, in the archive's order.
struct PlannedEntry {
  std::string name;  // UTF-8 as the archive gives it, so that the unpacking finds it again
  EntryType type = EntryType::File;
  std::optional<std::uint64_t> size;  // as the archive claims it
  std::size_t target = kNoTarget;     // the target it goes into; kNoTarget: not unpacked
  std::filesystem::path relative;     // its place below the target (empty: the target itself)
};

struct InstallPlan {
  std::filesystem::path archive;   // or the folder
  std::uint64_t archiveBytes = 0;  // a folder's: the bytes of its files
  std::uint64_t claimedBytes = 0;  // unpacked, as the archive claims
  std::vector<InstallTarget> targets;
  std::vector<PlannedEntry> entries;
  std::vector<std::string> leftOut;  // names in the archive (with "\") that go nowhere
};

// A plan, or the one sentence why there is none.
struct InstallPlanning {
  InstallPlan plan;
  std::string refusal;
  // The refusal's reason alone, without the archive's name ("KVO128 holds a folder named
  // "T-Normandy" already"), for a preview that names the archive elsewhere; empty when the
  // archive itself could not be read.
  std::string reason;
  // The refusal is that the archive does not tell its category and none was asked for, or
  // that the category asked for is none of kvo.ini.
  bool categoryUnknown = false;
  bool ok() const { return refusal.empty(); }
};

// A source's directory, read once: every entry checked, or the one sentence why the source is
// refused. The window plans from it again whenever the player changes the name asked for.
struct SourceDirectory {
  std::filesystem::path source;  // absolute
  bool folder = false;           // a folder rather than an archive
  std::uint64_t sourceBytes = 0;
  std::uint64_t claimedBytes = 0;
  std::vector<ScannedEntry> entries;
  std::string refusal;
  bool ok() const { return refusal.empty(); }
};

// Reads the directory of `source` (an archive, or a folder) and checks every name, type and
// claimed size against `limits`. A folder that holds the selector folder itself is refused.
SourceDirectory readSourceDirectory(const FormState& state, const std::filesystem::path& source,
                                    const ArchiveLimits& limits = {});

// Reads the archive's directory, checks every name, type and claimed size, finds the layout
// and decides each target's name and place; refuses a target that exists (unless replacing)
// or is loaded (marked so, or named by `record`). Changes nothing.
InstallPlanning planInstall(const FormState& state, const LoadRecord& record,
                            const InstallRequest& request, const ArchiveLimits& limits = {});

// planInstall from a directory read before; `request.archive` is not looked at.
InstallPlanning planInstall(const FormState& state, const LoadRecord& record,
                            const InstallRequest& request, const SourceDirectory& source);

// What a source names by itself, for the window to propose before the player chooses.
struct InstallProposal {
  std::vector<LayoutTarget> targets;  // named as the source names them ("T-Normandy")
  bool categoryUnknown = false;       // a category has to be chosen; no target then
  std::string stem;                   // the archive's file name without extensions, or the
                                      // folder's name: the name of a mod that has none
  std::string refusal;                // the source holds nothing to install
};

// The targets `source` gives when the player asks for no category and no name; their names
// are not checked yet (planInstall does that).
InstallProposal proposeInstall(const FormState& state, const SourceDirectory& source);

// The categories of kvo.ini, one "CODE<TAB>description" per line, for a refusal that asks
// for one.
std::vector<std::string> categoryList(const FormState& state);

}  // namespace kvo
