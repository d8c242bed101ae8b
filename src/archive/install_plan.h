#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_layout.h"
#include "archive/archive_limits.h"
#include "archive/archive_reader.h"
#include "state/core.h"

// Installing an add-on from the archive it came in, first part: what the archive holds and
// where each of its parts goes, decided from its directory alone without changing anything.
namespace kvo {

// What the player asks for.
struct InstallRequest {
  std::filesystem::path archive;
  std::string category{};  // a code of kvo.ini; empty: the archive tells it
  std::string name{};      // the name after "CODE-" (a skin folder's whole name); empty: the
                           // archive's folder or file name
  bool replace = false;    // a folder of that name is replaced, unless it is loaded
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
  std::filesystem::path archive;
  std::uint64_t archiveBytes = 0;
  std::uint64_t claimedBytes = 0;  // unpacked, as the archive claims
  std::vector<InstallTarget> targets;
  std::vector<PlannedEntry> entries;
  std::vector<std::string> leftOut;  // names in the archive (with "\") that go nowhere
};

// A plan, or the one sentence why there is none.
struct InstallPlanning {
  InstallPlan plan;
  std::string refusal;
  // The refusal is that the archive does not tell its category and none was asked for, or
  // that the category asked for is none of kvo.ini.
  bool categoryUnknown = false;
  bool ok() const { return refusal.empty(); }
};

// Reads the archive's directory, checks every name, type and claimed size, finds the layout
// and decides each target's name and place; refuses a target that exists (unless replacing)
// or is loaded. Changes nothing.
InstallPlanning planInstall(Core& core, const InstallRequest& request,
                            const ArchiveLimits& limits = {});

// The categories of kvo.ini, one "CODE<TAB>description" per line, for a refusal that asks
// for one.
std::vector<std::string> categoryList(const FormState& state);

}  // namespace kvo
