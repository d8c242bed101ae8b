#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "state/shell.h"

namespace kvo {

// What went wrong during one operation, gathered as it goes and told to the player once.
class Problems final {
 public:
  // Adds one sentence that names the file and the reason.
  void add(std::string sentence);
  // Adds every sentence of `more`.
  void add(const Problems& more);
  bool empty() const { return sentences_.empty(); }
  std::size_t size() const { return sentences_.size(); }
  const std::vector<std::string>& sentences() const { return sentences_; }
  // The sentences one per line, under `heading` and an empty line when a heading is given.
  std::string message(std::string_view heading = {}) const;
  // Shows message(heading) as one message box; nothing when there is nothing to say.
  void report(Shell& shell, std::string_view heading = {}, Icon icon = Icon::Exclamation) const;

 private:
  std::vector<std::string> sentences_;
};

// Lines of a text file the selector keeps: a missing file counts as empty, any other failure
// adds one sentence naming the file and the reason to `problems` and gives no lines.
std::vector<std::string> readTextLinesNoting(const std::filesystem::path& path, Problems& problems,
                                             std::size_t limit);

}  // namespace kvo
