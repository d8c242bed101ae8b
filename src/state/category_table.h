#pragma once

#include <string>
#include <string_view>
#include <vector>
#include "state/problems.h"

namespace kvo {

// The 27 lines of the kvo.ini that a first start writes.
const std::vector<std::string>& defaultCategoryLines();

// The category code of a kvo.ini line: its last character ("" for an empty line).
std::string categoryCodeOfLine(std::string_view line);

// The description of a kvo.ini line: the text before its first ":".
std::string categoryDescriptionOfLine(std::string_view line);

// The usable lines of a kvo.ini: lines without ":" are left out (they name no category) and
// at most 256 are kept. `problems` gets one sentence for each kind of line left out.
std::vector<std::string> usableCategoryLines(const std::vector<std::string>& lines,
                                             Problems& problems);

// True for the codes whose folders may be loaded together.
bool isMultiSelectionCode(std::string_view code);

}  // namespace kvo
