#ifndef _WIN32
#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kvo::test {
namespace fs = std::filesystem;

Child::Child(const fs::path& program, std::vector<std::string> args, const fs::path& cwd,
             const fs::path& prefix) {
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::string prefixVar = "WINEPREFIX=" + prefix.string();
  std::vector<char*> envp{prefix.empty() ? nullptr : prefixVar.data(), nullptr};
  // The pipe closes on exec, so the read below returns once the new program runs.
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return;
  pid_ = ::fork();
  if (pid_ == 0) {
    ::setpgid(0, 0);
    if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(126);
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(fds[1]);
  char ignored = 0;
  while (::read(fds[0], &ignored, 1) > 0) {
  }
  ::close(fds[0]);
}

void Child::end() {
  if (pid_ <= 0) return;
  ::kill(-pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

void copyProgram(const fs::path& target) {
  fs::create_directories(target.parent_path());
  fs::copy_file(kSleep, target, fs::copy_options::overwrite_existing);
  fs::permissions(target, fs::perms(0755));
}

}  // namespace kvo::test
#endif
