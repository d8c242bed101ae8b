#include "support/test_support.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/listing.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace kvo::test {
namespace fs = std::filesystem;

TempDir::TempDir() : TempDir(fs::temp_directory_path()) {}

TempDir::TempDir(const fs::path& base) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = base / ("kvo-test-" + std::to_string(random()));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests may leave read-only files and closed folders behind; open them up to remove them.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(path_, ec);
}

void writeFile(const fs::path& path, std::string_view bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

Tree snapshot(const fs::path& root) {
  Tree tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    auto name = fs::relative(entry.path(), root).generic_string();
    if (entry.is_directory()) {
      tree[name + "/"] = "";
    } else {
      tree[name] = readFile(entry.path());
    }
  }
  return tree;
}

bool runningAsRoot() {
#ifdef _WIN32
  return false;
#else
  return geteuid() == 0;
#endif
}

const char* whyModesCannotFail() {
#ifdef _WIN32
  return "Windows has no file or folder modes to close";
#else
  return runningAsRoot() ? "root ignores file and folder modes" : nullptr;
#endif
}

bool ownerWritable(const fs::path& path) {
  return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

bool holdsEntrySpelled(const fs::path& dir, std::string_view name) {
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (pathToText(it->path().filename()) == name) return true;
  }
  return false;
}

int runShellCommand(const std::string& commandLine) {
#ifdef _WIN32
  // cmd.exe drops the first and the last quote of the line, so it gets a pair of its own.
  return std::system(("\"" + commandLine + "\"").c_str());
#else
  const int status = std::system(commandLine.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

void RecordingShell::message(std::string_view text, Icon icon, std::string_view title) {
  messages.push_back({std::string(text), icon, std::string(title)});
}

bool RecordingShell::ask(std::string_view text, std::string_view) {
  questions.emplace_back(text);
  return answer;
}

void RecordingShell::setCaption(std::string_view caption) {
  captions.emplace_back(caption);
}

void RecordingShell::progress(int, int) {
  ++progressCalls;
}

bool RecordingShell::startProgram(const fs::path& exe, const fs::path&, std::string&) {
  started.push_back(exe);
  return true;
}

}  // namespace kvo::test
