#include <windows.h>

// sddl.h needs windows.h first.
#include <sddl.h>

#include <string>

#include "platform/failure_words.h"
#include "platform/instance_lock.h"

namespace kvo {
namespace fs = std::filesystem;

struct InstanceLock::Handle {
  HANDLE file = INVALID_HANDLE_VALUE;
  ~Handle() {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
};

namespace {

constexpr std::string_view kStartAgain = "Delete it, and start the selector again.";

// A new lock file grants its owner alone any access, so no other user can open (and lock)
// it; the handle is not inherited by programs the selector starts. Without FILE_SHARE_DELETE
// nobody can rename or delete it while it is held.
HANDLE openLockFile(const fs::path& file, DWORD disposition) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;OW)", SDDL_REVISION_1,
                                                           &descriptor, nullptr)) {
    attributes.lpSecurityDescriptor = descriptor;
  }
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, &attributes, disposition,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (descriptor != nullptr) LocalFree(descriptor);
  return handle;
}

// One byte far past the end is locked, so reading the (empty) file never meets the lock.
// Windows drops the lock with the handle, also when the process dies.
bool lockFarByte(HANDLE file) {
  OVERLAPPED at{};
  at.OffsetHigh = 0x7FFFFFFF;
  return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
}

// Why the opened entry is no lock file: a link or not a file on a disk; empty when it is one.
std::string notALockFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return "it is not a regular file";
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return "it is a link to another place";
  }
  return {};
}

std::string reasonOf(DWORD error) {
  return failureReason(std::error_code(static_cast<int>(error), std::system_category()));
}

}  // namespace

InstanceLock::Attempt InstanceLock::lockAt(const fs::path& file) {
  auto handle = std::make_unique<Handle>();
  handle->file = openLockFile(file, OPEN_ALWAYS);
  if (handle->file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // Held open by a selector of another user, whose file this user may not open.
    if (error == ERROR_SHARING_VIOLATION) return {};
    if (error == ERROR_ACCESS_DENIED) return replaceForeign(file);
    return {nullptr, lockProblem(file, reasonOf(error), kStartAgain)};
  }
  if (const auto why = notALockFile(handle->file); !why.empty()) {
    return {nullptr, lockProblem(file, why, kStartAgain)};
  }
  if (!lockFarByte(handle->file)) {
    const DWORD error = GetLastError();
    if (error == ERROR_LOCK_VIOLATION) return {};
    return {nullptr, lockProblem(file, "the disk does not lock files (" + reasonOf(error) + ")",
                                 "Keep the game folder on a local disk.")};
  }
  return {std::unique_ptr<InstanceLock>(new InstanceLock(std::move(handle))), {}};
}

InstanceLock::Attempt InstanceLock::replaceForeign(const fs::path& file) {
  const DWORD attributes = GetFileAttributesW(file.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    return {nullptr, lockProblem(file,
                                 (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0
                                     ? "it is a link to another place"
                                     : "it is not a regular file",
                                 kStartAgain)};
  }
  const std::string asOwner =
      "Delete it as the user it belongs to (or as an administrator), and start the selector "
      "again.";
  // A fresh file takes the old one's name; the rename fails while a selector of that user
  // holds the old file open. Whoever opens the new one first then holds the lock.
  fs::path fresh = file;
  fresh += "." + std::to_string(GetCurrentProcessId()) + ".new";
  const HANDLE made = openLockFile(fresh, CREATE_NEW);
  if (made == INVALID_HANDLE_VALUE) {
    return {nullptr, lockProblem(file, "it belongs to another user", asOwner)};
  }
  CloseHandle(made);
  if (!MoveFileExW(fresh.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD error = GetLastError();
    DeleteFileW(fresh.c_str());
    if (error == ERROR_SHARING_VIOLATION) return {};
    return {nullptr, lockProblem(file, "it belongs to another user", asOwner)};
  }
  auto handle = std::make_unique<Handle>();
  handle->file = openLockFile(file, OPEN_EXISTING);
  if (handle->file == INVALID_HANDLE_VALUE) {
    return {nullptr, lockProblem(file, reasonOf(GetLastError()), kStartAgain)};
  }
  if (!lockFarByte(handle->file)) return {};
  return {std::unique_ptr<InstanceLock>(new InstanceLock(std::move(handle))), {}};
}

InstanceLock::~InstanceLock() = default;

InstanceLock::InstanceLock(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

}  // namespace kvo
