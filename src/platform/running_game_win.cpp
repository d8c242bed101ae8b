#include <windows.h>

// tlhelp32.h needs windows.h first.
#include <tlhelp32.h>

#include <string>
#include <system_error>

#include "platform/running_game.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

bool equalsNoCaseWide(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The full path of a process's program; empty when the process may not be asked (another
// user's, a protected one) or ended meanwhile.
std::wstring imagePath(DWORD processId) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process == nullptr) return {};
  std::wstring path(32768, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  const bool ok = QueryFullProcessImageNameW(process, 0, path.data(), &size) != 0;
  CloseHandle(process);
  path.resize(ok ? size : 0);
  return path;
}

bool inGameFolder(const std::wstring& image, const fs::path& gameDir) {
  if (image.empty()) return false;
  const fs::path program(image);
  std::error_code ec;
  // equivalent() also sees through 8.3 short names and other spellings of the folder.
  return equalsNoCaseWide(program.filename().native(), L"eaw.exe") &&
         fs::equivalent(program.parent_path(), gameDir, ec);
}

}  // namespace

bool gameRunningFrom(const fs::path& gameDir) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  bool running = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !running;
       more = Process32NextW(snapshot, &entry)) {
    // The snapshot's bare program name rules out every other process without opening it.
    if (!equalsNoCaseWide(entry.szExeFile, L"eaw.exe")) continue;
    running = inGameFolder(imagePath(entry.th32ProcessID), gameDir);
  }
  CloseHandle(snapshot);
  return running;
}

}  // namespace kvo
