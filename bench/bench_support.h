#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "state/shell.h"

#ifdef _WIN32
#include <process.h>
#define KVO_BENCH_PID _getpid()
#else
#include <unistd.h>
#define KVO_BENCH_PID ::getpid()
#endif

namespace kvo::bench {

// A Shell that keeps only the last message, so that a benchmark can fail on a bad run.
class QuietShell final : public Shell {
 public:
  void message(std::string_view text, Icon, std::string_view) override { last = text; }
  bool ask(std::string_view, std::string_view) override { return false; }
  void status(std::string_view) override {}
  void setCaption(std::string_view) override {}
  void progress(int, int) override {}
  std::string clipboardText() override { return {}; }
  void setClipboardText(std::string_view) override {}
  bool startProgram(const std::filesystem::path&, const std::filesystem::path&,
                    std::string&) override {
    return false;
  }
  void minimise() override {}
  void quit() override {}
  std::string last;
};

// A folder of this benchmark run under the system's temporary folder, removed with everything
// in it when the run ends.
class ScratchFolder final {
 public:
  explicit ScratchFolder(std::string_view name)
      : dir_(std::filesystem::temp_directory_path() /
             (std::string(name) + "-" + std::to_string(KVO_BENCH_PID))) {
    std::filesystem::create_directories(dir_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
};

}  // namespace kvo::bench
