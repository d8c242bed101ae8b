// libFuzzer target: readJournal on any bytes, checked against its own writer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "platform/read_limits.h"
#include "transaction/journal.h"

namespace {

void check(std::string_view bytes) {
  [[maybe_unused]] const auto size = bytes.size();
  const auto reading = kvo::fuzz::costOf(bytes, 16, [&] { return kvo::readJournal(bytes); });
  if (reading.state == kvo::JournalState::Unreadable ||
      reading.state == kvo::JournalState::CutBeforeId) {
    if (!reading.journal.steps.empty()) std::abort();
    return;
  }
  if (reading.journal.id.size() != 16) std::abort();
  for (const auto& step : reading.journal.steps) {
    // Nothing read may lead out of the game folder.
    if (step.target.empty() || step.target.is_absolute() || step.target.has_root_directory()) {
      std::abort();
    }
    for (const auto& part : step.target) {
      if (part == ".." || part == "." || part.empty()) std::abort();
    }
  }
  // Whatever was read, written again and read back, is the same transaction, now complete.
  const auto text = kvo::formatJournal(reading.journal);
  if (!text) std::abort();
  const auto again = kvo::readJournal(*text);
  if (again.state != kvo::JournalState::Complete || !(again.journal == reading.journal)) {
    std::abort();
  }
  const auto marked = kvo::readJournal(*text + kvo::committedMark(reading.journal.id));
  if (marked.state != kvo::JournalState::Committed || !(marked.journal == reading.journal)) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A step costs its paths' parts beside its line, the shortest of which has nineteen bytes.
  kvo::fuzz::atSizeAndLimit(data, size, kvo::read_limit::kJournal, check);
  return 0;
}
