#pragma once

#ifndef _WIN32
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kvo::test {

// A program run with the given argument list (argv[0] included) from `cwd`, with WINEPREFIX
// set when `prefix` is given and the `NAME=value` entries of `env`; ended with its process
// group when the test is done with it.
class Child final {
 public:
  Child(const std::filesystem::path& program, std::vector<std::string> args,
        const std::filesystem::path& cwd = {}, const std::filesystem::path& prefix = {},
        std::vector<std::string> env = {});
  ~Child() { end(); }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  // True until the program has ended by itself.
  bool running();
  void end();

 private:
  pid_t pid_ = -1;
};

// A program that runs until it is ended, to copy under a game's name as a stand-in.
inline const std::filesystem::path kSleep = "/bin/sleep";

// Copies kSleep to `target` as a program the user may run.
void copyProgram(const std::filesystem::path& target);

}  // namespace kvo::test
#endif
