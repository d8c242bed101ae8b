#include "platform/start_program.h"

#include "platform/listing.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <vector>
#endif

namespace kvo {
namespace fs = std::filesystem;

#ifdef _WIN32

bool startDetached(const fs::path& exe, const fs::path& workingDir, std::string& error) {
  std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(exe.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      DETACHED_PROCESS, nullptr, workingDir.wstring().c_str(), &startup,
                      &process)) {
    error = std::system_category().message(static_cast<int>(GetLastError()));
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

#else

namespace {

std::optional<fs::path> findOnPath(const std::string& program) {
  const char* pathVariable = std::getenv("PATH");
  std::stringstream folders(pathVariable ? pathVariable : "");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (folder.empty()) continue;
    const fs::path candidate = fs::path(folder) / program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::nullopt;
}

// Runs in the forked child, where only async-signal-safe calls are allowed (the window has
// other threads): detaches from the selector and becomes the program. Writes errno to
// `errorPipe` when the program cannot be started.
[[noreturn]] void becomeProgram(char* const* argv, const char* workingDir, int nullDevice,
                                int errorPipe) {
  setsid();
  // The grandchild is adopted by init, so the selector never has to wait for the game.
  const pid_t grandchild = fork();
  if (grandchild > 0) _exit(0);
  int code = grandchild < 0 ? errno : 0;
  if (code == 0) {
    // The window blocks some signals for its own threads; the game must not inherit that.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (chdir(workingDir) != 0) code = errno;
  }
  // Like a detached program on Windows, the game gets no console of ours: holding the
  // selector's output open would keep a caller that reads it (a script around "kvo launch")
  // waiting until the game ends.
  for (int stream = 0; code == 0 && stream <= 2; ++stream) {
    if (dup2(nullDevice, stream) < 0) code = errno;
  }
  if (code == 0) {
    execv(argv[0], argv);
    code = errno;
  }
  [[maybe_unused]] auto written = write(errorPipe, &code, sizeof(code));
  _exit(127);
}

// The errno the child reported, or 0 when the pipe closed on a successful exec.
int readChildError(int pipeEnd) {
  int childError = 0;
  ssize_t got;
  do {
    got = read(pipeEnd, &childError, sizeof(childError));
  } while (got < 0 && errno == EINTR);
  return got == static_cast<ssize_t>(sizeof(childError)) ? childError : 0;
}

std::optional<std::vector<std::string> > commandFor(const fs::path& exe, std::string& error) {
  if (!equalsNoCase(exe.extension().string(), ".exe")) return std::vector{exe.string()};
  const auto wine = findOnPath("wine");
  if (!wine) {
    error = "wine is needed to run Windows programs on this system and was not found on the PATH";
    return std::nullopt;
  }
  return std::vector{wine->string(), exe.string()};
}

}  // namespace

bool startDetached(const fs::path& exe, const fs::path& workingDir, std::string& error) {
  // The child changes folder before exec, which would break a path relative to ours.
  std::error_code ec;
  const auto command = commandFor(fs::absolute(exe, ec), error);
  if (!command) return false;
  // Everything the child needs is built before the fork.
  std::vector<char*> argv;
  for (const auto& arg : *command) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const std::string folder = workingDir.string();
  const int nullDevice = open("/dev/null", O_RDWR | O_CLOEXEC);
  if (nullDevice < 0) {
    error = std::strerror(errno);
    return false;
  }
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
    error = std::strerror(errno);
    close(nullDevice);
    return false;
  }
  const pid_t child = fork();
  if (child == 0) becomeProgram(argv.data(), folder.c_str(), nullDevice, pipeEnds[1]);
  const int forkError = errno;
  close(nullDevice);
  close(pipeEnds[1]);
  const int childError = child > 0 ? readChildError(pipeEnds[0]) : forkError;
  close(pipeEnds[0]);
  if (child > 0) {
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  if (childError != 0) {
    error = std::strerror(childError);
    return false;
  }
  return true;
}

#endif

}  // namespace kvo
