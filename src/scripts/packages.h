#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <utility>

namespace kvo {

class Autoscripts;
class Core;

// The "Complete Sets" tab: autoscripts offered as packages, their preview, loading one, and
// the clipboard hand-over with an online client.
class Packages final {
 public:
  // `resetAll` is "Reset All", run first when `Check1` is ticked.
  Packages(Core& core, Autoscripts& scripts, std::function<void()> resetAll)
      : s_(core), scripts_(scripts), resetAll_(std::move(resetAll)) {}

  // The package preview of the `GUPC` selection: `List9`, the description in `Label51` and
  // the picture in `Image4`.
  void GUPC_Click();
  // The entry preview of `List9` entry `index`: its folder's picture and contents.txt.
  void List9_Click(int index);
  // "Load this package": Reset All first with `Check1`, the package's file name to the
  // clipboard with `Check2`, then every entry of `List9` but the first.
  void LoadPackage();
  // The pointer over `Label29`: loads the package whose file name the clipboard holds.
  void Label29_MouseMove();

 private:
  std::filesystem::path entryFolder(const std::string& entry) const;
  std::filesystem::path firstPicture(const std::filesystem::path& folder,
                                     const char* patterns) const;
  void lookForPicture(const std::string& entry, std::filesystem::path& picture) const;

  Core& s_;
  Autoscripts& scripts_;
  std::function<void()> resetAll_;
};

}  // namespace kvo
