#include "ui/core_runner.h"

#include <exception>
#include <string>

#include "state/game_folder.h"
#include "state/shell.h"

namespace kvo::ui {

CoreRunner::CoreRunner(kvo::GameFolder& game, kvo::Shell& shell, QObject* parent)
    : QObject(parent), game_(game), shell_(shell) {}

bool CoreRunner::run(const std::function<kvo::Outcome()>& operation) {
  if (busy_) return false;
  busy_ = true;
  emit started();
  game_.forgetListing();
  try {
    const auto outcome = operation();
    // The window's own prompt asks; a box on top of it would ask twice.
    if (!outcome.awaitsAnswer) kvo::report(outcome, shell_);
  } catch (const std::exception& error) {
    // An exception must not unwind through Qt's event dispatch; the player still gets told.
    shell_.message(std::string("Unexpected error: ") + error.what(), kvo::Icon::Critical, "KVO");
  }
  busy_ = false;
  emit finished();
  return true;
}

bool CoreRunner::show(const std::function<void()>& handler) {
  return run([&] {
    handler();
    return kvo::Outcome{};
  });
}

void CoreRunner::status(std::string_view text) {
  if (!text.empty()) shell_.status(text);
}

}  // namespace kvo::ui
