#include "state/file_progress.h"

namespace kvo {

FileProgress::FileProgress(FormState& state, Shell& shell, int total)
    : state_(state), shell_(shell), savedCaption_(state.caption), total_(total) {
  if (total_ > 0) shell_.progress(0, total_);
}

FileProgress::~FileProgress() {
  state_.caption = savedCaption_;
  shell_.setCaption(savedCaption_);
  if (total_ > 0) shell_.progress(0, 0);
}

void FileProgress::step(std::string_view caption, int done) {
  state_.caption = caption;
  shell_.setCaption(caption);
  if (total_ > 0) shell_.progress(done, total_);
}

}  // namespace kvo
