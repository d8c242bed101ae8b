#pragma once

#include <string>
#include <vector>

#include "archive/archive_layout.h"
#include "archive/install_plan.h"

// Naming and placing the folders an archive gives, as the player asked.
namespace kvo {

// Names every target of `layout` as `request` asks. With a category, an archive of one
// add-on becomes one mod folder of that category; without one, a mod folder must be named
// like one in the archive. A name left open is the archive's own file name `stem`. Why the
// request cannot be met, or empty; `categoryUnknown` says the reason is a missing category.
std::string nameTargets(ArchiveLayout& layout, const InstallRequest& request,
                        const std::string& stem, bool& categoryUnknown);

// Finds each named target's place (the selector folder, its Skinfolder or Autoscripts) and
// the entry it would replace. Why that cannot be, or empty: a name taken twice, a name taken
// already without `replace`, or a loaded folder to be replaced.
std::string placeTargets(const FormState& state, const LoadRecord& record,
                         const ArchiveLayout& layout, bool replace,
                         std::vector<InstallTarget>& targets);

// Why the entry `target` replaces cannot go now (it is marked loaded, or `record` names it),
// or empty.
std::string replacedInUse(const FormState& state, const LoadRecord& record,
                          const InstallTarget& target);

// The archive's file name without its extensions ("Normandy" of "Normandy.tar.gz").
std::string archiveStem(const std::filesystem::path& archive);

}  // namespace kvo
