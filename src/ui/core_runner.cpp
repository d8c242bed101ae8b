#include "ui/core_runner.h"

#include <exception>
#include <string>

#include "app/shell.h"

namespace kvo::ui {

CoreRunner::CoreRunner(kvo::Shell& shell, QObject* parent) : QObject(parent), shell_(shell) {}

bool CoreRunner::run(const std::function<void()>& operation) {
  if (busy_) return false;
  busy_ = true;
  emit started();
  try {
    operation();
  } catch (const std::exception& error) {
    // An exception must not unwind through Qt's event dispatch; the player still gets told.
    shell_.message(std::string("Unexpected error: ") + error.what(), kvo::Icon::Critical, "KVO");
  }
  busy_ = false;
  emit finished();
  return true;
}

}  // namespace kvo::ui
