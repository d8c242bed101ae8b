#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/listing.h"
#include "platform/running_game.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kGameProgram = "eaw.exe";

// Up to `limit` bytes of a /proc file; empty when it cannot be read (another user's process,
// one that ended meanwhile).
std::string readProcFile(const std::string& path, std::size_t limit) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string bytes(limit, '\0');
  std::size_t used = 0;
  while (used < limit) {
    const ssize_t got = ::read(fd, bytes.data() + used, limit - used);
    if (got <= 0) break;
    used += static_cast<std::size_t>(got);
  }
  ::close(fd);
  bytes.resize(used);
  return bytes;
}

std::optional<fs::path> readProcLink(const std::string& path) {
  std::error_code ec;
  fs::path target = fs::read_symlink(path, ec);
  if (ec) return std::nullopt;
  return target;
}

// The NUL-separated strings of a cmdline or environ file.
std::vector<std::string_view> splitNul(std::string_view bytes) {
  std::vector<std::string_view> parts;
  while (!bytes.empty()) {
    const auto end = bytes.find('\0');
    parts.push_back(bytes.substr(0, end));
    if (end == std::string_view::npos) break;
    bytes.remove_prefix(end + 1);
  }
  return parts;
}

// The file name after the last "/" or "\", the separators of both systems.
std::string_view baseName(std::string_view path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool namesGameProgram(std::string_view path) {
  return equalsNoCase(baseName(path), kGameProgram);
}

// The Wine prefix the process runs in: its own WINEPREFIX when its environment can be read,
// else ours, else Wine's default.
fs::path winePrefix(const std::string& procDir) {
  const std::string environment = readProcFile(procDir + "/environ", 1 << 16);
  for (auto entry : splitNul(environment)) {
    if (entry.starts_with("WINEPREFIX=") && entry.size() > 11) return fs::path(entry.substr(11));
  }
  if (const char* own = std::getenv("WINEPREFIX"); own != nullptr && *own != '\0') return own;
  const char* home = std::getenv("HOME");
  return fs::path(home != nullptr ? home : "") / ".wine";
}

// The Unix folder behind a Windows drive letter: Wine keeps each drive as a link in
// dosdevices; Z: is the Unix root when the prefix says nothing else.
std::optional<fs::path> driveRoot(char letter, const std::string& procDir) {
  const std::string drive{static_cast<char>(std::tolower(static_cast<unsigned char>(letter))), ':'};
  const fs::path link = winePrefix(procDir) / "dosdevices" / drive;
  std::error_code ec;
  if (fs::is_directory(link, ec)) return link;
  if (drive == "z:") return fs::path("/");
  return std::nullopt;
}

// `root` followed by the "\"- or "/"-separated parts of `rest`, each found in any letter case
// as Wine finds it.
fs::path followNoCase(fs::path root, std::string_view rest) {
  while (!rest.empty()) {
    const auto end = rest.find_first_of("/\\");
    const auto part = rest.substr(0, end);
    if (!part.empty()) root = resolveNoCase(root, part);
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return root;
}

// Where a program path from a command line lies on this system: a Windows path through the
// process's Wine drives, a relative one from the process's current folder.
std::optional<fs::path> programFile(std::string_view program, const std::string& procDir) {
  if (program.size() > 2 && std::isalpha(static_cast<unsigned char>(program[0])) &&
      program[1] == ':' && (program[2] == '\\' || program[2] == '/')) {
    const auto root = driveRoot(program[0], procDir);
    if (!root) return std::nullopt;
    return followNoCase(*root, program.substr(3));
  }
  if (program.starts_with('/')) return followNoCase("/", program.substr(1));
  // "\EAW\eaw.exe" on the current drive: which drive that is only Wine knows.
  if (program.starts_with('\\')) return std::nullopt;
  const auto cwd = readProcLink(procDir + "/cwd");
  if (!cwd) return std::nullopt;
  return followNoCase(*cwd, program);
}

bool inGameFolder(const fs::path& program, const fs::path& gameDir) {
  std::error_code ec;
  return namesGameProgram(program.native()) && fs::equivalent(program.parent_path(), gameDir, ec);
}

// A native eaw.exe shows in the process's program link; one under Wine in its command line,
// whose first argument naming eaw.exe is the program Wine runs.
bool runsGameFrom(const std::string& procDir, const fs::path& gameDir) {
  if (const auto exe = readProcLink(procDir + "/exe"); exe && namesGameProgram(exe->native())) {
    return inGameFolder(*exe, gameDir);
  }
  const std::string commandLine = readProcFile(procDir + "/cmdline", 4096);
  for (auto argument : splitNul(commandLine)) {
    if (!namesGameProgram(argument)) continue;
    const auto program = programFile(argument, procDir);
    return program && inGameFolder(*program, gameDir);
  }
  return false;
}

bool isProcessId(const char* name) {
  if (*name == '\0') return false;
  for (; *name != '\0'; ++name) {
    if (!std::isdigit(static_cast<unsigned char>(*name))) return false;
  }
  return true;
}

}  // namespace

bool gameRunningFrom(const fs::path& gameDir) {
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return false;
  bool running = false;
  while (!running) {
    const dirent* entry = ::readdir(proc);
    if (entry == nullptr) break;
    if (!isProcessId(entry->d_name)) continue;
    running = runsGameFrom(std::string("/proc/") + entry->d_name, gameDir);
  }
  ::closedir(proc);
  return running;
}

}  // namespace kvo
