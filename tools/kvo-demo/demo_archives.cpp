#include "demo_archives.h"

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <memory>

#ifdef _WIN32
#include <windows.h>
#else
#include <locale.h>
#endif

namespace kvo::demo {
namespace {
namespace fs = std::filesystem;

#ifdef _WIN32
// libarchive on Windows takes names as UTF-16.
struct NameLocale {};

std::wstring wide(const std::string& utf8) {
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text.data(), length);
  return text;
}

void setName(archive_entry* entry, const std::string& utf8) {
  archive_entry_copy_pathname_w(entry, wide(utf8).c_str());
}

void setLink(archive_entry* entry, const std::string& utf8) {
  archive_entry_copy_symlink_w(entry, wide(utf8).c_str());
}

int openFile(archive* writer, const fs::path& file) {
  return archive_write_open_filename_w(writer, file.c_str());
}
#else
// libarchive converts names from the thread's locale, which need not be a UTF-8 one.
class NameLocale final {
 public:
  NameLocale() : utf8_(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr))) {
    if (utf8_) previous_ = uselocale(utf8_);
  }
  ~NameLocale() {
    if (!utf8_) return;
    uselocale(previous_);
    freelocale(utf8_);
  }
  NameLocale(const NameLocale&) = delete;
  NameLocale& operator=(const NameLocale&) = delete;

 private:
  locale_t utf8_;
  locale_t previous_ = nullptr;
};

void setName(archive_entry* entry, const std::string& utf8) {
  archive_entry_set_pathname_utf8(entry, utf8.c_str());
}

void setLink(archive_entry* entry, const std::string& utf8) {
  archive_entry_set_symlink_utf8(entry, utf8.c_str());
}

int openFile(archive* writer, const fs::path& file) {
  return archive_write_open_filename(writer, file.c_str());
}
#endif

std::error_code errorOf(archive* writer) {
  const int number = archive_errno(writer);
  return std::error_code(number > 0 ? number : EIO, std::generic_category());
}

void chooseFormat(archive* writer, ArchiveFormat format, const ArchiveOptions& options) {
  switch (format) {
    case ArchiveFormat::Zip:
      archive_write_set_format_zip(writer);
      archive_write_set_format_option(writer, "zip", "hdrcharset",
                                      options.zipCodePage437 ? "CP437" : "UTF-8");
      if (!options.zipPassword.empty()) {
        archive_write_set_format_option(writer, "zip", "encryption", "zipcrypt");
        archive_write_set_passphrase(writer, options.zipPassword.c_str());
      }
      break;
    case ArchiveFormat::SevenZip:
      archive_write_set_format_7zip(writer);
      break;
    case ArchiveFormat::TarGz:
      archive_write_set_format_pax_restricted(writer);
      archive_write_add_filter_gzip(writer);
      break;
    case ArchiveFormat::TarXz:
      archive_write_set_format_pax_restricted(writer);
      archive_write_add_filter_xz(writer);
      break;
  }
}

void describe(archive_entry* entry, const ArchiveItem& item) {
  setName(entry, item.name);
  switch (item.kind) {
    case ItemKind::File:
      archive_entry_set_filetype(entry, AE_IFREG);
      archive_entry_set_perm(entry, 0644);
      archive_entry_set_size(entry, static_cast<la_int64_t>(item.bytes.size()));
      break;
    case ItemKind::Folder:
      archive_entry_set_filetype(entry, AE_IFDIR);
      archive_entry_set_perm(entry, 0755);
      break;
    case ItemKind::Symlink:
      archive_entry_set_filetype(entry, AE_IFLNK);
      archive_entry_set_perm(entry, 0777);
      setLink(entry, item.bytes);
      break;
    case ItemKind::Device:
      archive_entry_set_filetype(entry, AE_IFCHR);
      archive_entry_set_perm(entry, 0600);
      archive_entry_set_rdevmajor(entry, 1);
      archive_entry_set_rdevminor(entry, 3);
      break;
  }
  archive_entry_set_mtime(entry, 1700000000, 0);
}

std::error_code writeItem(archive* writer, const ArchiveItem& item) {
  std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(archive_entry_new(),
                                                                      archive_entry_free);
  describe(entry.get(), item);
  if (archive_write_header(writer, entry.get()) != ARCHIVE_OK) return errorOf(writer);
  if (item.kind != ItemKind::File || item.bytes.empty()) return {};
  const auto written = archive_write_data(writer, item.bytes.data(), item.bytes.size());
  if (written != static_cast<la_ssize_t>(item.bytes.size())) return errorOf(writer);
  return {};
}

std::string sample(std::string_view tag, std::size_t size) {
  std::string bytes = "KVO demo add-on: " + std::string(tag) + "\r\n";
  for (std::size_t i = 0; bytes.size() < size; ++i) {
    bytes.push_back(static_cast<char>('A' + (i * 7 + tag.size()) % 26));
  }
  return bytes;
}

}  // namespace

std::error_code writeArchive(const fs::path& file, ArchiveFormat format,
                             const std::vector<ArchiveItem>& items, const ArchiveOptions& options) {
  [[maybe_unused]] const NameLocale locale;
  std::unique_ptr<archive, decltype(&archive_write_free)> writer(archive_write_new(),
                                                                 archive_write_free);
  if (!writer) return std::make_error_code(std::errc::not_enough_memory);
  chooseFormat(writer.get(), format, options);
  if (openFile(writer.get(), file) != ARCHIVE_OK) return errorOf(writer.get());
  for (const auto& item : items) {
    if (auto ec = writeItem(writer.get(), item)) return ec;
  }
  if (archive_write_close(writer.get()) != ARCHIVE_OK) return errorOf(writer.get());
  return {};
}

std::vector<std::string> demoArchiveNames() {
  return {"T-Channel Coast.zip", "Evening Skies.7z", "Malta 1942 Complete Set.zip", "Hostile.zip"};
}

std::error_code writeDemoArchives(const fs::path& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) return ec;
  const auto names = demoArchiveNames();
  const std::vector<std::pair<ArchiveFormat, std::vector<ArchiveItem>>> archives = {
      {ArchiveFormat::Zip,
       {{"T-Channel Coast/contents.txt", "Terrain of the Channel coast, 1944."},
        {"T-Channel Coast/eaw.tm", sample("channel terrain", 4000)},
        {"T-Channel Coast/eaw16.hm", sample("channel heights", 6000)}}},
      {ArchiveFormat::SevenZip,
       {{"sky.tpc", sample("evening sky", 3000)},
        {"horizon.tpc", sample("evening horizon", 3000)},
        {"contents.txt", "Evening skies; install with --category H."}}},
      {ArchiveFormat::Zip,
       {{"Malta 1942/readme.txt", "Install all at once: kvo install."},
        {"Malta 1942/W-Malta 1942/contents.txt", "Malta, 1942: the complete set."},
        {"Malta 1942/W-Malta 1942/eaw.tm", sample("malta terrain", 4000)},
        {"Malta 1942/F-Malta Spitfires/spit.flt", sample("malta spitfires", 2000)},
        {"Malta 1942/Autoscripts/Malta 1942.set", "W-Malta 1942\r\nF-Malta Spitfires\r\n"}}},
      {ArchiveFormat::Zip,
       {{"T-Hostile/eaw.tm", sample("hostile", 500)},
        {"T-Hostile/../../outside the game.txt", "This file must never be written."}}},
  };
  for (std::size_t i = 0; i < archives.size(); ++i) {
    if (auto writeEc = writeArchive(dir / names[i], archives[i].first, archives[i].second)) {
      return writeEc;
    }
  }
  return {};
}

}  // namespace kvo::demo
