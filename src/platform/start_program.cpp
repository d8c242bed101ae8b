#include "platform/start_program.h"

#include "platform/listing.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

// Runs in the forked child: detaches from the selector and becomes the program. Writes
// errno to `errorPipe` when the program cannot be started.
[[noreturn]] void becomeProgram(const std::vector<std::string>& argv, const fs::path& workingDir,
                                int errorPipe) {
  setsid();
  // The grandchild is adopted by init, so the selector never has to wait for the game.
  if (fork() != 0) _exit(0);
  int code = 0;
  if (chdir(workingDir.c_str()) != 0) code = errno;
  if (code == 0) {
    std::vector<char*> args;
    for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    code = errno;
  }
  [[maybe_unused]] auto written = write(errorPipe, &code, sizeof(code));
  _exit(127);
}

}  // namespace

bool startDetached(const fs::path& exe, const fs::path& workingDir, std::string& error) {
  std::vector<std::string> argv;
  if (equalsNoCase(exe.extension().string(), ".exe")) {
    auto wine = findOnPath("wine");
    if (!wine) {
      error = "Wine is not installed, so this Windows program cannot be started.";
      return false;
    }
    argv = {wine->string(), exe.string()};
  } else {
    argv = {exe.string()};
  }
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
    error = std::strerror(errno);
    return false;
  }
  const pid_t child = fork();
  if (child == 0) becomeProgram(argv, workingDir, pipeEnds[1]);
  close(pipeEnds[1]);
  int childError = 0;
  const auto got = child > 0 ? read(pipeEnds[0], &childError, sizeof(childError)) : -1;
  close(pipeEnds[0]);
  if (child < 0) {
    error = std::strerror(errno);
    return false;
  }
  waitpid(child, nullptr, 0);
  if (got == static_cast<ssize_t>(sizeof(childError)) && childError != 0) {
    error = std::strerror(childError);
    return false;
  }
  return true;
}

#endif

}  // namespace kvo
