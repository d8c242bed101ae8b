#include "support/test_support.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/listing.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/child_process.h"
#endif

namespace kvo::test {
namespace fs = std::filesystem;

// 64 random bits: a name another test took is not worth a retry.
TempDir::TempDir(const fs::path& base) {
  std::random_device random;
  path_ = base / ("kvo-test-" + std::to_string(random()) + "-" + std::to_string(random()));
  if (!fs::create_directory(path_)) throw std::runtime_error("cannot create " + path_.string());
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests may leave read-only files and closed folders behind; open them up to remove them.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(path_, ec);
}

void writeFile(const fs::path& path, std::string_view bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

Tree snapshot(const fs::path& root) {
  Tree tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const auto name = fs::relative(entry.path(), root).generic_string();
    tree[entry.is_directory() ? name + "/" : name] = entry.is_directory() ? "" : readFile(entry);
  }
  return tree;
}

bool runningAsRoot() {
#ifdef _WIN32
  return false;
#else
  return geteuid() == 0;
#endif
}

const char* whyModesCannotFail() {
#ifdef _WIN32
  return "Windows has no file or folder modes to close";
#else
  return runningAsRoot() ? "root ignores file and folder modes" : nullptr;
#endif
}

bool ownerWritable(const fs::path& path) {
  return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

bool holdsEntrySpelled(const fs::path& dir, std::string_view name) {
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (pathToText(it->path().filename()) == name) return true;
  }
  return false;
}

int runShellCommand(const std::string& commandLine) {
#ifdef _WIN32
  // cmd.exe drops the first and the last quote of the line, so it gets a pair of its own.
  return std::system(("\"" + commandLine + "\"").c_str());
#else
  const int status = std::system(commandLine.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

std::string programPath(const char* variable, const char* built) {
  const char* fromEnvironment = std::getenv(variable);
  return fromEnvironment ? fromEnvironment : built;
}

#ifndef _WIN32
Child::Child(const fs::path& program, std::vector<std::string> args, const fs::path& cwd,
             const fs::path& prefix, std::vector<std::string> env) {
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  if (!prefix.empty()) env.push_back("WINEPREFIX=" + prefix.string());
  std::vector<char*> envp;
  for (auto& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
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

bool Child::running() {
  if (pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
  return pid_ > 0;
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
#endif

}  // namespace kvo::test
