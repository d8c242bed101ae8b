#include <archive.h>
#include <archive_entry.h>
#include <locale.h>

#include "archive/archive_system.h"

namespace kvo {

Utf8Names::Utf8Names() {
  const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  if (utf8 == static_cast<locale_t>(nullptr)) return;
  utf8_ = utf8;
  previous_ = uselocale(utf8);
}

Utf8Names::~Utf8Names() {
  if (!utf8_) return;
  uselocale(static_cast<locale_t>(previous_));
  freelocale(static_cast<locale_t>(utf8_));
}

bool Utf8Names::ok() const {
  return utf8_ != nullptr;
}

int openArchiveFile(struct archive* reader, const std::filesystem::path& file,
                    std::size_t blockSize) {
  return archive_read_open_filename(reader, file.c_str(), blockSize);
}

std::optional<std::string> entryNameUtf8(struct archive_entry* entry) {
  const char* name = archive_entry_pathname_utf8(entry);
  if (!name) return std::nullopt;
  return std::string(name);
}

}  // namespace kvo
