#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "app/selector.h"
#include "demo_game.h"
#include "support/test_support.h"

namespace kvo::test {

// A started selector on a fresh demo game folder, with helpers to click rows by name and to
// compare the whole game folder before and after.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(demo::writeDemoGameFolder(game())); }

  std::filesystem::path game() const { return temp_.path() / "EAW"; }
  std::filesystem::path mod(std::string_view name) const { return game() / "KVO128" / name; }

  // Starts the selector; call after the test has arranged the folder.
  void start() {
    selector_ = std::make_unique<Selector>(shell);
    ASSERT_EQ(selector_->startUp(game()), StartupOutcome::Ready);
    shell.messages.clear();
  }
  Selector& sel() { return *selector_; }
  FormState& st() { return selector_->state; }

  int row(std::string_view name) { return st().Unigrid.findRow(1, name); }
  bool marked(std::string_view name) { return st().Unigrid.text(row(name), 2) == "S"; }
  void click(std::string_view name) {
    ASSERT_GT(row(name), 0) << name;
    st().Unigrid.row = row(name);
    sel().engine.Unigrid_Click();
  }
  Tree tree() { return snapshot(game()); }
  std::string record() { return readFile(game() / "KVO128" / "FoldersLoaded.txt"); }
  // The bytes of a file of a mod folder, as its copy in the game should hold them.
  std::string modFile(std::string_view folder, std::string_view name) {
    return readFile(mod(folder) / name);
  }

  TempDir temp_;
  RecordingShell shell;
  std::unique_ptr<Selector> selector_;
};

}  // namespace kvo::test
