#pragma once

#include <string>
#include <string_view>

#include "state/form_state.h"
#include "state/shell.h"

namespace kvo {

// Progress of one long file operation: the caption names the file in hand and a progress bar
// counts the files; both are put back when the operation ends, however it ends.
class FileProgress final {
 public:
  FileProgress(FormState& state, Shell& shell, int total);
  ~FileProgress();
  FileProgress(const FileProgress&) = delete;
  FileProgress& operator=(const FileProgress&) = delete;

  // Shows `caption` and that `done` of the files are through.
  void step(std::string_view caption, int done);

 private:
  FormState& state_;
  Shell& shell_;
  std::string savedCaption_;
  int total_;
};

}  // namespace kvo
