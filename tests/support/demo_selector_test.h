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

// A selector on a fresh demo game folder; clicks folder rows by name and reads the load record.
class DemoSelectorTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(demo::writeDemoGameFolder(game())); }

  std::filesystem::path game() const { return temp_.path() / "EAW"; }
  std::filesystem::path selectorDir() const { return game() / "KVO128"; }

  // Starts the selector; call after the test has arranged the folder.
  void start() {
    selector_ = std::make_unique<Selector>(shell);
    ASSERT_EQ(selector_->startUp(game()), StartupOutcome::Ready);
    shell.messages.clear();
  }
  Selector& sel() { return *selector_; }
  FormState& st() { return selector_->state; }

  int row(std::string_view name) { return st().Unigrid.findRow(1, name); }
  // Tells the outcome as the window does (its messages reach `shell`, a prompt of the window
  // asks instead of a box) and hands it on.
  Outcome told(Outcome outcome) {
    if (!outcome.awaitsAnswer) report(outcome, shell);
    return outcome;
  }
  // Clicks the folder row `name` as the window does.
  Outcome click(std::string_view name) {
    EXPECT_GT(row(name), 0) << name;
    return told(sel().engine.Unigrid_Click(row(name)));
  }
  std::string record() { return readFile(selectorDir() / "FoldersLoaded.txt"); }

  TempDir temp_;
  RecordingShell shell;
  std::unique_ptr<Selector> selector_;
};

}  // namespace kvo::test
