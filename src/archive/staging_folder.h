#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "state/form_state.h"
#include "state/problems.h"

// An archive is unpacked into a staging folder of the selector folder, named so that it is
// never listed as a mod folder; what it holds then appears with one rename each, inside the
// file transaction. A staging folder that a kill left behind goes at the next start.
namespace kvo {

// A fresh staging folder name whose first character is none of the category `codes`.
std::string stagingFolderName(const std::array<std::string, 256>& codes);

// True for the names stagingFolderName gives.
bool isStagingFolderName(std::string_view name);

// Removes `folder` with everything in it, never following a link (a link goes as the link).
// One sentence for each entry that could not be removed.
std::vector<std::string> removeFolderTree(const std::filesystem::path& folder);

// Removes the staging folders that an install cut short left in the selector folder, once
// no unfinished change is left whose journal (readable or not) may still need what it moved
// there.
void removeUnpackingLeftovers(const FormState& state, Problems& problems);

}  // namespace kvo
