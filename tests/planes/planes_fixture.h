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

// A selector started on a fresh demo game folder, with helpers that act on rows by name.
class PlanesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(demo::writeDemoGameFolder(game())); }

  std::filesystem::path game() const { return temp_.path() / "EAW"; }
  std::filesystem::path selectorDir() const { return game() / "KVO128"; }
  std::filesystem::path skinDir(std::string_view name) const {
    return selectorDir() / "Skinfolder" / name;
  }

  void start() {
    selector_ = std::make_unique<Selector>(shell);
    ASSERT_EQ(selector_->startUp(game()), StartupOutcome::Ready);
    shell.messages.clear();
  }
  Selector& sel() { return *selector_; }
  FormState& st() { return selector_->state; }

  int skinRow(std::string_view name) { return st().SK1.findRow(0, name); }
  bool skinLoaded(std::string_view name) { return st().SK1.text(skinRow(name), 1) == "S"; }
  void applySkin(std::string_view name) {
    ASSERT_GT(skinRow(name), 0) << name;
    st().SK1.row = skinRow(name);
    sel().skins.ApplySkinRow();
  }
  void click(std::string_view folder) {
    ASSERT_GT(st().Unigrid.findRow(1, folder), 0) << folder;
    st().Unigrid.row = st().Unigrid.findRow(1, folder);
    sel().engine.Unigrid_Click();
  }
  // Exact spelling: a file that keeps its upper-case name must not count as the lower-case one.
  bool inGame(std::string_view name) const {
    const auto path = game() / name;
    return holdsEntrySpelled(path.parent_path(), path.filename().string());
  }
  std::string record() { return readFile(selectorDir() / "FoldersLoaded.txt"); }

  TempDir temp_;
  RecordingShell shell;
  std::unique_ptr<Selector> selector_;
};

}  // namespace kvo::test
