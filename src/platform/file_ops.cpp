#include "platform/file_ops.h"

#include <cerrno>
#include <cstdio>

#include "platform/listing.h"

#ifdef _WIN32
#include "platform/windows_error.h"
#else
#include <fcntl.h>
#endif

namespace kvo {
namespace fs = std::filesystem;

namespace {

bool entryExists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

#ifndef _WIN32
// True when `from` and `to` name the same entry in different letter case on a folder that
// ignores case, where a rename only changes the spelling.
bool sameEntry(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  return fs::equivalent(from, to, ec) && !ec;
}
#endif

}  // namespace

std::error_code copyFileOver(const fs::path& from, const fs::path& to) {
  if (entryExists(to)) {
    // A read-only target would refuse to be overwritten.
    if (auto ec = makeNormal(to)) return ec;
  }
#ifdef _WIN32
  if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) return lastWindowsError();
#else
  std::error_code ec;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  if (ec) return ec;
#endif
  // The copy takes the source's read-only state; the next load must be able to replace it.
  return makeNormal(to);
}

std::error_code deleteFile(const fs::path& path) {
  std::error_code ec;
  const auto status = fs::symlink_status(path, ec);
  if (!fs::exists(status)) return {};
  if (fs::is_directory(status)) return std::make_error_code(std::errc::is_a_directory);
#ifdef _WIN32
  if (DeleteFileW(path.c_str())) return {};
  DWORD error = GetLastError();
  // Windows refuses to delete a read-only file where Linux only asks for a writable folder;
  // the selector deletes what it copied in, whatever flags the file has picked up since.
  if (error == ERROR_ACCESS_DENIED && !makeNormal(path) && DeleteFileW(path.c_str())) return {};
  if (error == ERROR_ACCESS_DENIED) error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
  return std::error_code(static_cast<int>(error), std::system_category());
#else
  if (std::remove(path.c_str()) != 0) {
    const int error = errno;
    if (error == ENOENT) return {};
    return std::error_code(error, std::generic_category());
  }
  return {};
#endif
}

std::error_code renamePath(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
  // Without MOVEFILE_REPLACE_EXISTING the move refuses an existing target; a change of letter
  // case only is allowed.
  if (!MoveFileExW(from.c_str(), to.c_str(), 0)) return lastWindowsError();
  return {};
#else
  if (!entryExists(from)) return std::make_error_code(std::errc::no_such_file_or_directory);
  if (entryExists(to) && !sameEntry(from, to)) return std::make_error_code(std::errc::file_exists);
#if defined(__linux__) && defined(RENAME_NOREPLACE)
  // rename() overwrites; RENAME_NOREPLACE closes the gap between the check and the rename.
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  const int error = errno;
  if (error != EINVAL && error != ENOSYS && error != EEXIST) {
    return std::error_code(error, std::generic_category());
  }
  if (error == EEXIST && !sameEntry(from, to)) return std::make_error_code(std::errc::file_exists);
#endif
  std::error_code ec;
  fs::rename(from, to, ec);
  return ec;
#endif
}

std::error_code makeNormal(const fs::path& path) {
#ifdef _WIN32
  if (!SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL)) return lastWindowsError();
  return {};
#else
  std::error_code ec;
  const auto status = fs::status(path, ec);
  if (ec) return ec;
  if ((status.permissions() & fs::perms::owner_write) != fs::perms::none) return {};
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ec);
  return ec;
#endif
}

std::error_code createFolder(const fs::path& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  if (ec) return ec;
  if (!fs::is_directory(path, ec)) return std::make_error_code(std::errc::not_a_directory);
  return {};
}

std::string describeFailure(std::string_view action, const fs::path& file,
                            const std::error_code& ec) {
  std::string reason = ec ? ec.message() : std::string("unknown error");
  // Windows system messages end in ".\r\n"; the sentence gets one full stop of its own.
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                             reason.back() == ' ' || reason.back() == '.')) {
    reason.pop_back();
  }
  if (reason.empty()) reason = "unknown error";
  std::string text = "Could not ";
  text.append(action);
  text += ' ';
  text += displayPath(file);
  text += ": ";
  text += reason;
  text += '.';
  return text;
}

std::string displayPath(const fs::path& path) {
  return pathToText(fs::path(path).make_preferred());
}

}  // namespace kvo
