#include <windows.h>

#include <cerrno>
#include <optional>
#include <utility>

#include "platform/entry_ops.h"
#include "platform/failure_words.h"
#include "platform/path_guard.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

std::error_code errnoCode(int value) {
  return std::error_code(value, std::generic_category());
}

// The failures the transaction tells apart come as portable codes, whatever the system says;
// the others keep the Windows code, which failureReason puts in words.
std::error_code windowsCode(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return errnoCode(ENOENT);
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return errnoCode(EEXIST);
    case ERROR_DIR_NOT_EMPTY:
      return errnoCode(ENOTEMPTY);
    default:
      return std::error_code(static_cast<int>(error), std::system_category());
  }
}

std::error_code lastError() {
  return windowsCode(GetLastError());
}

class Handle final {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  std::error_code close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) ? std::error_code() : lastError();
  }

 private:
  HANDLE handle_;
};

// Symbolic links and junctions lead elsewhere; other reparse points (cloud placeholders,
// deduplicated files) are ordinary files and folders to the player.
bool isLinkTag(const fs::path& path) {
  WIN32_FIND_DATAW data{};
  const HANDLE search = FindFirstFileW(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return true;  // cannot tell: treat it as a link
  FindClose(search);
  return data.dwReserved0 == IO_REPARSE_TAG_SYMLINK ||
         data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT;
}

std::error_code writeAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return lastError();
    bytes.remove_prefix(written);
  }
  return {};
}

// Sets the attributes of the entry itself through a handle that does not follow a link.
std::error_code setAttributesOf(const fs::path& path, DWORD attributes) {
  Handle entry(CreateFileW(
      path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!entry.valid()) return lastError();
  FILE_BASIC_INFO info{};
  info.FileAttributes = attributes;
  if (!SetFileInformationByHandle(entry.get(), FileBasicInfo, &info, sizeof info)) {
    return lastError();
  }
  return {};
}

// The volume and the file number of the entry itself, or nullopt when it cannot be told.
std::optional<std::pair<DWORD, ULONGLONG>> fileIdentity(const fs::path& path) {
  Handle entry(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!entry.valid() || !GetFileInformationByHandle(entry.get(), &info)) return std::nullopt;
  return std::make_pair(info.dwVolumeSerialNumber,
                        (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
}

// How many names the file has; 1 when that cannot be told.
DWORD hardLinkCount(const fs::path& path) {
  Handle entry(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!entry.valid() || !GetFileInformationByHandle(entry.get(), &info)) return 1;
  return info.nNumberOfLinks;
}

}  // namespace

EntryKind entryKind(const fs::path& path, std::error_code& ec) {
  ec.clear();
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        error == ERROR_INVALID_NAME) {
      return EntryKind::None;
    }
    ec = windowsCode(error);
    return EntryKind::None;
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && isLinkTag(path)) return EntryKind::Link;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EntryKind::Folder;
  return EntryKind::File;
}

EntryFacts entryFacts(const fs::path::string_type& path, std::error_code& ec) {
  // Access lists and the marks clearReadOnly clears are asked for when needed.
  return {entryKind(fs::path(path), ec), false, false};
}

EntryProber::~EntryProber() = default;

EntryFacts EntryProber::facts(const fs::path::string_type& path, std::error_code& ec) {
  return entryFacts(path, ec);
}

std::error_code copyIntoFreeName(const fs::path&, const fs::path&) {
  // Windows has no nameless files: the copy goes under a name of its own first.
  return std::make_error_code(std::errc::operation_not_supported);
}

std::error_code copyToNewFile(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  const auto kind = entryKind(from, ec);
  if (ec) return ec;
  if (kind == EntryKind::Link) return errnoCode(ELOOP);
  if (kind == EntryKind::Folder) return errnoCode(EISDIR);
  if (kind == EntryKind::None) return errnoCode(ENOENT);
  if (!CopyFileExW(from.c_str(), to.c_str(), nullptr, nullptr, nullptr,
                   COPY_FILE_FAIL_IF_EXISTS | COPY_FILE_COPY_SYMLINK)) {
    return lastError();
  }
  // The copy takes the source's read-only state; the next load must be able to replace it.
  if (auto normal = setAttributesOf(to, FILE_ATTRIBUTE_NORMAL)) {
    DeleteFileW(to.c_str());
    return normal;
  }
  return {};
}

bool hasReadOnlyMark(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
         (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

std::error_code copyReadOnlyMark(const fs::path& original, const fs::path& fresh) {
  if (!hasReadOnlyMark(original)) return {};
  const DWORD attributes = GetFileAttributesW(fresh.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return lastError();
  // "Normal" stands only alone.
  return setAttributesOf(fresh,
                         (attributes & ~DWORD{FILE_ATTRIBUTE_NORMAL}) | FILE_ATTRIBUTE_READONLY);
}

std::error_code linkToNewFile(const fs::path& from, const fs::path& to) {
  const DWORD attributes = GetFileAttributesW(from.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return lastError();
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return errnoCode(EISDIR);
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && isLinkTag(from)) {
    return errnoCode(ELOOP);
  }
  // The marks belong to the file, not the name: a copy is what drops them for the game.
  constexpr DWORD kMarks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if ((attributes & kMarks) != 0) return Refusal::ReadOnlySource;
  // FAT and exFAT have no links, nor does a path to another volume: the caller copies then.
  if (!CreateHardLinkW(to.c_str(), from.c_str(), nullptr)) return lastError();
  return {};
}

std::error_code writeNewFile(const fs::path& to, std::string_view bytes, const fs::path&) {
  Handle out(CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!out.valid()) return lastError();
  auto ec = writeAll(out.get(), bytes);
  if (!ec) ec = out.close();
  if (ec) DeleteFileW(to.c_str());
  return ec;
}

std::error_code renameNoReplace(const fs::path& from, const fs::path& to) {
  if (!MoveFileExW(from.c_str(), to.c_str(), 0)) return lastError();
  return {};
}

// A rename over another name of the same file is no change where the system renames as POSIX
// does (Wine); the old name must still go, or a set-aside file outlives its transaction.
std::error_code dropNameLeftBehind(const fs::path& from, const fs::path& to) {
  const auto left = fileIdentity(from);
  if (!left || left != fileIdentity(to)) return {};
  if (!DeleteFileW(from.c_str())) return lastError();
  return {};
}

std::error_code renameReplacing(const fs::path& from, const fs::path& to) {
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return dropNameLeftBehind(from, to);
  }
  const DWORD error = GetLastError();
  // Windows refuses to replace a read-only file, where Linux asks only for a writable folder.
  if (error == ERROR_ACCESS_DENIED && !setAttributesOf(to, FILE_ATTRIBUTE_NORMAL) &&
      MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return dropNameLeftBehind(from, to);
  }
  return windowsCode(error);
}

std::error_code unlinkEntry(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return lastError();
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && isLinkTag(path);
  if (folder && !link) return errnoCode(EISDIR);
  auto remove = [&] { return folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str()); };
  if (remove()) return {};
  DWORD error = GetLastError();
  // A read-only file refuses to go; the selector removes what it put there, flags or not.
  if (error == ERROR_ACCESS_DENIED && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
      !setAttributesOf(path, FILE_ATTRIBUTE_NORMAL)) {
    if (remove()) return {};
    error = GetLastError();
  }
  return windowsCode(error);
}

std::error_code makeOneFolder(const fs::path& path) {
  if (!CreateDirectoryW(path.c_str(), nullptr)) return lastError();
  return {};
}

std::error_code removeEmptyFolder(const fs::path& path) {
  std::error_code ec;
  if (entryKind(path, ec) != EntryKind::Folder) return ec ? ec : errnoCode(ENOTDIR);
  if (!RemoveDirectoryW(path.c_str())) return lastError();
  return {};
}

std::error_code clearReadOnly(const fs::path& path) {
  std::error_code ec;
  const auto kind = entryKind(path, ec);
  if (ec) return ec;
  if (kind == EntryKind::None) return errnoCode(ENOENT);
  if (kind == EntryKind::Link) return errnoCode(ELOOP);
  if (kind == EntryKind::File && hardLinkCount(path) > 1) {
    // The marks belong to the file, not the name: another name of it may lie anywhere. A file
    // without the mark (a linked load's) has nothing to clear.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return lastError();
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) return {};
    return Refusal::SharedByHardLink;
  }
  return setAttributesOf(
      path, kind == EntryKind::Folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL);
}

std::error_code folderAcceptsWrites(const fs::path&) {
  // A folder's read-only flag does not stop new files on Windows; access lists do, and a
  // refusal there shows at the first change, which is then undone.
  return {};
}

std::error_code fileReadable(const fs::path& file) {
  Handle in(CreateFileW(file.c_str(), GENERIC_READ,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!in.valid()) return lastError();
  return {};
}

std::error_code writeNewFileDurably(const fs::path& file, std::string_view bytes) {
  Handle out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!out.valid()) return lastError();
  auto ec = writeAll(out.get(), bytes);
  if (!ec && !FlushFileBuffers(out.get())) ec = lastError();
  if (!ec) ec = out.close();
  if (ec) DeleteFileW(file.c_str());
  return ec;
}

std::error_code appendDurably(const fs::path& file, std::string_view bytes) {
  Handle out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!out.valid()) return lastError();
  LARGE_INTEGER oldSize{};
  const LARGE_INTEGER zero{};
  if (!GetFileSizeEx(out.get(), &oldSize) ||
      !SetFilePointerEx(out.get(), zero, nullptr, FILE_END)) {
    return lastError();
  }
  auto ec = writeAll(out.get(), bytes);
  if (!ec && !FlushFileBuffers(out.get())) ec = lastError();
  if (ec && SetFilePointerEx(out.get(), oldSize, nullptr, FILE_BEGIN)) {
    SetEndOfFile(out.get());
    FlushFileBuffers(out.get());
  }
  if (!ec) ec = out.close();
  return ec;
}

void flushDiskOf(const fs::path&) {
  // Flushing a whole volume needs administrator rights on Windows; NTFS keeps its own
  // journal of the renames.
}

std::string pathKey(const fs::path& path) {
  std::wstring wide = path.lexically_normal().native();
  if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  std::string key;
  key.reserve(wide.size() * 2);
  for (const wchar_t c : wide) {
    key += static_cast<char>(c & 0xFF);
    key += static_cast<char>((c >> 8) & 0xFF);
  }
  return key;
}

bool pathToJournalText(const fs::path& path, std::string& text) {
  const std::wstring wide = path.generic_wstring();
  text.clear();
  if (wide.empty()) return true;
  const int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(),
                                       static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (size <= 0) return false;
  text.resize(static_cast<std::size_t>(size));
  return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(),
                             static_cast<int>(wide.size()), text.data(), size, nullptr,
                             nullptr) == size;
}

std::optional<fs::path> pathFromJournalText(std::string_view text) {
  if (text.empty()) return fs::path();
  if (text.size() > 0x7FFFFFFF) return std::nullopt;
  const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                       static_cast<int>(text.size()), nullptr, 0);
  if (size <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                          wide.data(), size) != size) {
    return std::nullopt;
  }
  return fs::path(wide);
}

// ERROR_DISK_QUOTA_EXCEEDED, which not every set of Windows headers names.
constexpr DWORD kDiskQuotaExceeded = 1295;

std::optional<std::string> systemReason(const std::error_code& ec) {
  switch (static_cast<DWORD>(ec.value())) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "the disk is full";
    case kDiskQuotaExceeded:
      return "the disk quota is used up";
    case ERROR_ACCESS_DENIED:
      return "access is denied";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return "the file is in use by another program";
    case ERROR_WRITE_PROTECT:
      return "the disk is read-only";
    case ERROR_FILE_NOT_FOUND:
      return "the file is not there";
    case ERROR_PATH_NOT_FOUND:
      return "the folder is not there";
    case ERROR_FILENAME_EXCED_RANGE:
      return "the name is too long";
    case ERROR_INVALID_NAME:
      return "the name holds characters the disk does not allow";
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return "a file of that name is already there";
    case ERROR_DIR_NOT_EMPTY:
      return "the folder is not empty";
    case ERROR_NOT_SAME_DEVICE:
      return "it is on another disk";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return "there is not enough memory";
    case ERROR_TOO_MANY_OPEN_FILES:
      return "too many files are open";
    case ERROR_CANT_RESOLVE_FILENAME:
      return "it is a link to another place";
    case ERROR_NOT_READY:
      return "the disk is not ready";
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
      return "the disk reported a read or write error";
    default:
      return std::nullopt;
  }
}

unsigned long processNumber() {
  return GetCurrentProcessId();
}

}  // namespace kvo
