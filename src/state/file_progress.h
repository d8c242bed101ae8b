#pragma once

#include <string>
#include <string_view>

namespace kvo {

class Core;

// Progress of one long file operation: the caption names the file in hand and a progress bar
// counts the files; both are put back when the operation ends, however it ends.
class FileProgress final {
 public:
  FileProgress(Core& core, int total);
  ~FileProgress();
  FileProgress(const FileProgress&) = delete;
  FileProgress& operator=(const FileProgress&) = delete;

  // Shows `caption` and that `done` of the files are through.
  void step(std::string_view caption, int done);

 private:
  Core& s_;
  std::string savedCaption_;
  int total_;
};

}  // namespace kvo
