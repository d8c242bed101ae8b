#include "state/problems.h"

#include "platform/file_ops.h"
#include "platform/text_file.h"

namespace kvo {

void Problems::add(std::string sentence) {
  sentences_.push_back(std::move(sentence));
}

void Problems::add(const Problems& more) {
  sentences_.insert(sentences_.end(), more.sentences_.begin(), more.sentences_.end());
}

std::string Problems::message(std::string_view heading) const {
  std::string text(heading);
  if (!text.empty()) text += "\r\n";
  for (const auto& sentence : sentences_) {
    if (!text.empty()) text += "\r\n";
    text += sentence;
  }
  return text;
}

void Problems::report(Shell& shell, std::string_view heading, Icon icon) const {
  if (!empty()) shell.message(message(heading), icon, "KVO");
}

std::vector<std::string> readTextLinesNoting(const std::filesystem::path& path, Problems& problems,
                                             std::size_t limit) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return {};
  auto lines = readTextLines(path, ec, limit);
  if (!lines) {
    problems.add(describeFailure("read", path, ec));
    return {};
  }
  return std::move(*lines);
}

}  // namespace kvo
