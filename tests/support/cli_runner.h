#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace kvo::test {

// Runs `kvo --game-dir GAME ...` command lines in this process; keeps what the last printed.
class CliRunner {
 public:
  explicit CliRunner(std::filesystem::path game) : game_(std::move(game)) {}
  int run(const std::vector<std::string>& words) {
    out_.str("");
    err_.str("");
    std::vector<std::string> args{"--game-dir", game_.string()};
    args.insert(args.end(), words.begin(), words.end());
    return runCliCommand(parseCliArguments(args, game_), out_, err_);
  }
  std::string out() const { return out_.str(); }
  std::string err() const { return err_.str(); }

 private:
  std::filesystem::path game_;
  std::ostringstream out_;
  std::ostringstream err_;
};

}  // namespace kvo::test
