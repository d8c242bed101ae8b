#pragma once

#include <string>
#include <vector>

#include "archive/install_plan.h"

namespace kvo {

// What an install plan will create, one line for each folder (or autoscript) and one for
// what is left out, as the player reads it before saying yes:
//   "T-Normandy: a new mod folder, 12 files, 3.4 MB"
//   "Skinfolder\Spit: a skin folder, 4 files, 812 KB, replacing the folder of that name"
//   "Left out: readme.txt, Malta\screens" (with "and N more" beyond a few names)
std::vector<std::string> installPreview(const InstallPlan& plan);

}  // namespace kvo
