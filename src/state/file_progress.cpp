#include "state/file_progress.h"

#include "state/core.h"

namespace kvo {

FileProgress::FileProgress(Core& core, int total)
    : s_(core), savedCaption_(core.state.caption), total_(total) {
  if (total_ > 0) s_.shell.progress(0, total_);
}

FileProgress::~FileProgress() {
  s_.state.caption = savedCaption_;
  s_.shell.setCaption(savedCaption_);
  if (total_ > 0) s_.shell.progress(0, 0);
}

void FileProgress::step(std::string_view caption, int done) {
  s_.state.caption = caption;
  s_.shell.setCaption(caption);
  if (total_ > 0) s_.shell.progress(done, total_);
}

}  // namespace kvo
