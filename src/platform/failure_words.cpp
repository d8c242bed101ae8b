#include "platform/failure_words.h"

#include <cerrno>

#include "platform/entry_ops.h"

namespace kvo {

std::optional<std::string> errnoReason(int value) {
  switch (value) {
    case ENOSPC:
      return "the disk is full";
#ifdef EDQUOT
    case EDQUOT:
      return "the disk quota is used up";
#endif
    case EACCES:
    case EPERM:
      return "access is denied";
    case EROFS:
      return "the disk is read-only";
    case ENOENT:
      return "the file is not there";
    case ENOTDIR:
      return "part of its path is not a folder";
    case EISDIR:
      return "it is a folder";
    case ENAMETOOLONG:
      return "the name is too long";
    case EEXIST:
      return "a file of that name is already there";
    case ELOOP:
      return "it is a link to another place";
    case EBUSY:
    case ETXTBSY:
      return "the file is in use";
    case EIO:
      return "the disk reported a read or write error";
    case EMFILE:
    case ENFILE:
      return "too many files are open";
    case ENOTEMPTY:
      return "the folder is not empty";
    case EXDEV:
      return "it is on another disk";
    case ENOMEM:
      return "there is not enough memory";
    case EFBIG:
      return "the file is too large for the disk";
    default:
      return std::nullopt;
  }
}

std::string failureReason(const std::error_code& ec) {
  if (!ec) return "unknown error";
  std::optional<std::string> words;
  if (ec.category() == std::generic_category()) {
    words = errnoReason(ec.value());
  } else if (ec.category() == std::system_category()) {
    words = systemReason(ec);
  }
  std::string reason = words ? *words : ec.message();
  // Windows system messages end in ".\r\n"; the sentence gets one full stop of its own.
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                             reason.back() == ' ' || reason.back() == '.')) {
    reason.pop_back();
  }
  return reason.empty() ? "unknown error" : reason;
}

}  // namespace kvo
