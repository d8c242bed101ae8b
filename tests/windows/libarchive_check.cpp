// The Windows build links libarchive statically, with zlib, liblzma and bzip2 behind it. Each
// kind of archive the selector reads that libarchive can also write is written to a file and
// listed back, so a compression library that is missing or linked wrong fails here.
#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Kind {
  const char* name;
  int (*format)(archive*);
  int (*filter)(archive*);
  const char* filterName;  // as the reader names the outer compression it undid
};

const std::vector<std::pair<std::string, std::string>> kEntries = {
    {"T-Normandy/contents.txt", "Normandy terrain\r\n"},
    {"T-Normandy/TERRAIN/map.bmp", std::string(4096, 'm')},
};

void writeArchive(const fs::path& path, const Kind& kind) {
  archive* writer = archive_write_new();
  ASSERT_EQ(kind.format(writer), ARCHIVE_OK) << archive_error_string(writer);
  ASSERT_EQ(kind.filter(writer), ARCHIVE_OK) << archive_error_string(writer);
  ASSERT_EQ(archive_write_open_filename_w(writer, path.c_str()), ARCHIVE_OK)
      << archive_error_string(writer);
  for (const auto& [name, bytes] : kEntries) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, name.c_str());
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, static_cast<la_int64_t>(bytes.size()));
    ASSERT_EQ(archive_write_header(writer, entry), ARCHIVE_OK) << archive_error_string(writer);
    ASSERT_EQ(archive_write_data(writer, bytes.data(), bytes.size()),
              static_cast<la_ssize_t>(bytes.size()));
    archive_entry_free(entry);
  }
  ASSERT_EQ(archive_write_close(writer), ARCHIVE_OK) << archive_error_string(writer);
  archive_write_free(writer);
}

std::vector<std::pair<std::string, std::string>> listArchive(const fs::path& path,
                                                             std::string& filterName) {
  std::vector<std::pair<std::string, std::string>> listed;
  archive* reader = archive_read_new();
  archive_read_support_format_all(reader);
  archive_read_support_filter_all(reader);
  if (archive_read_open_filename_w(reader, path.c_str(), 16384) != ARCHIVE_OK) {
    ADD_FAILURE() << archive_error_string(reader);
    archive_read_free(reader);
    return listed;
  }
  archive_entry* entry = nullptr;
  while (archive_read_next_header(reader, &entry) == ARCHIVE_OK) {
    std::string bytes(static_cast<size_t>(archive_entry_size(entry)), '\0');
    EXPECT_EQ(archive_read_data(reader, bytes.data(), bytes.size()),
              static_cast<la_ssize_t>(bytes.size()))
        << archive_error_string(reader);
    listed.emplace_back(archive_entry_pathname(entry), bytes);
  }
  filterName = archive_filter_name(reader, 0);
  archive_read_free(reader);
  return listed;
}

class LibArchiveCheck : public testing::TestWithParam<Kind> {};

TEST_P(LibArchiveCheck, ListsWhatItWroteThroughItsCompressionLibrary) {
  const fs::path path =
      fs::temp_directory_path() / ("kvo-libarchive-" + std::string(GetParam().name));
  writeArchive(path, GetParam());
  std::string filterName;
  EXPECT_EQ(listArchive(path, filterName), kEntries);
  EXPECT_EQ(filterName, GetParam().filterName);
  fs::remove(path);
}

int noFilter(archive* writer) {
  return archive_write_add_filter_none(writer);
}
// The 7z writer packs with LZMA1 unless told otherwise; the mods players get use LZMA2.
int sevenZipLzma2(archive* writer) {
  const int result = archive_write_set_format_7zip(writer);
  return result == ARCHIVE_OK
             ? archive_write_set_format_option(writer, "7zip", "compression", "lzma2")
             : result;
}

INSTANTIATE_TEST_SUITE_P(Kinds, LibArchiveCheck,
                         testing::Values(Kind{"zip", archive_write_set_format_zip, noFilter,
                                              "none"},
                                         Kind{"7z", sevenZipLzma2, noFilter, "none"},
                                         Kind{"tar.gz", archive_write_set_format_pax_restricted,
                                              archive_write_add_filter_gzip, "gzip"},
                                         Kind{"tar.xz", archive_write_set_format_pax_restricted,
                                              archive_write_add_filter_xz, "xz"},
                                         Kind{"tar.bz2", archive_write_set_format_pax_restricted,
                                              archive_write_add_filter_bzip2, "bzip2"}),
                         [](const testing::TestParamInfo<Kind>& kind) {
                           std::string name = kind.param.name;
                           for (char& c : name) c = c == '.' ? '_' : c;
                           return name;
                         });

}  // namespace
