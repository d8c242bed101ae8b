// The file-system work that a dry run of a load cannot leave out, and nothing else: list the
// folder to be loaded, then look up each of its files and the name it would take in the game
// folder, on every core, each from a handle on its folder (the cheapest lookup there is).
// bench/whole_process.sh times it beside `kvo status`, to show how much of a dry run's time
// the file system takes before any planning.
// Usage: dry_run_floor GAME_FOLDER MOD_FOLDER; prints how many files it looked up.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::string> fileNames(const char* folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder);
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_type == DT_REG) names.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  return names;
}

// Looks up names[i] in both folders for every i that `next` hands out; the names found.
long lookUp(const char* game, const char* mod, const std::vector<std::string>& names,
            std::atomic<std::size_t>& next) {
  const int gameHandle = ::open(game, O_PATH | O_DIRECTORY | O_CLOEXEC);
  const int modHandle = ::open(mod, O_PATH | O_DIRECTORY | O_CLOEXEC);
  long found = 0;
  struct stat facts {};
  for (std::size_t i; (i = next.fetch_add(1)) < names.size();) {
    if (::fstatat(modHandle, names[i].c_str(), &facts, AT_SYMLINK_NOFOLLOW) == 0) ++found;
    ::fstatat(gameHandle, names[i].c_str(), &facts, AT_SYMLINK_NOFOLLOW);
  }
  ::close(gameHandle);
  ::close(modHandle);
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: dry_run_floor GAME_FOLDER MOD_FOLDER\n");
    return 2;
  }
  const auto names = fileNames(argv[2]);
  const unsigned cores = std::max(1U, std::thread::hardware_concurrency());
  std::atomic<std::size_t> next{0};
  std::vector<long> found(cores, 0);
  std::vector<std::thread> helpers;
  for (unsigned core = 1; core < cores; ++core) {
    helpers.emplace_back([&, core] { found[core] = lookUp(argv[1], argv[2], names, next); });
  }
  found[0] = lookUp(argv[1], argv[2], names, next);
  for (auto& helper : helpers) helper.join();
  long total = 0;
  for (const long n : found) total += n;
  std::printf("%ld\n", total);
  return total == static_cast<long>(names.size()) ? 0 : 1;
}
