#pragma once

#include <string>

namespace kvo {

// The new contents of a game file, built in memory for the caller to commit, or why it could not
// be built. Nothing is written to the disk by whoever returns one.
struct FileBytes {
  std::string bytes;
  std::string error;  // one sentence naming the file; empty when `bytes` may be written

  bool ok() const { return error.empty(); }
};

}  // namespace kvo
