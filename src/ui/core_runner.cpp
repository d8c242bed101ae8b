#include "ui/core_runner.h"

#include <exception>
#include <string>

#include "state/core.h"

namespace kvo::ui {

CoreRunner::CoreRunner(kvo::Core& core, QObject* parent) : QObject(parent), core_(core) {}

bool CoreRunner::run(const std::function<void()>& operation) {
  if (busy_) return false;
  busy_ = true;
  emit started();
  core_.forgetGameFolder();
  try {
    operation();
  } catch (const std::exception& error) {
    // An exception must not unwind through Qt's event dispatch; the player still gets told.
    core_.shell.message(std::string("Unexpected error: ") + error.what(), kvo::Icon::Critical,
                        "KVO");
  }
  busy_ = false;
  emit finished();
  return true;
}

}  // namespace kvo::ui
