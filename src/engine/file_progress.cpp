#include "engine/file_progress.h"

#include "app/selector.h"

namespace kvo {

FileProgress::FileProgress(Selector& selector, int total)
    : s_(selector), savedCaption_(selector.state.caption), total_(total) {
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
