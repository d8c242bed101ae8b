// libFuzzer target: readJournal on any bytes, checked against its own writer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "transaction/journal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto reading = kvo::readJournal(bytes);
  if (reading.state == kvo::JournalState::Unreadable ||
      reading.state == kvo::JournalState::CutBeforeId) {
    if (!reading.journal.steps.empty()) std::abort();
    return 0;
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
  return 0;
}
