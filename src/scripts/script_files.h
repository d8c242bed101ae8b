#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvo {

// Why `fileName` cannot be the name of an autoscript file in the Autoscripts folder (a path
// separator, "..", a character Windows refuses, a reserved device name); empty when it can.
std::string scriptNameProblem(std::string_view fileName);

// The entries of a script or package file as readSetEntries reads them; nullopt and one
// sentence in `problem` when the file cannot be read.
std::optional<std::vector<std::string>> readScriptEntries(const std::filesystem::path& file,
                                                          std::string& problem);

}  // namespace kvo
