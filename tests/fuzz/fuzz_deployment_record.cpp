// libFuzzer target: DeploymentRecord::parse on any bytes, checked against its own writer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/deployment_record.h"
#include "fuzz/fuzz_support.h"
#include "platform/read_limits.h"

namespace {

// Nothing read may lead out of the game folder or split a line when written again.
bool staysBelow(std::string_view file) {
  if (file.empty() || file.front() == '\\' || file.back() == '\\') return false;
  if (file.find_first_of("/:\t\r\n") != std::string_view::npos) return false;
  if (file.find("\\\\") != std::string_view::npos) return false;
  for (std::string_view bad : {"..", "."}) {
    if (file == bad || file.starts_with(std::string(bad) + "\\") ||
        file.ends_with("\\" + std::string(bad)) ||
        file.find("\\" + std::string(bad) + "\\") != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

}  // namespace

namespace {

void check(std::string_view bytes) {
  [[maybe_unused]] const auto size = bytes.size();
  const auto record =
      kvo::fuzz::costOf(bytes, 24, [&] { return kvo::DeploymentRecord::parse(bytes); });
  if (!record) return;
  for (const auto& file : record->files()) {
    if (!staysBelow(file.file) || file.providers.empty()) std::abort();
    for (const auto& provider : file.providers) {
      if (!kvo::recordableName(provider)) std::abort();
    }
  }
  const auto text = record->text();
  const auto again = kvo::DeploymentRecord::parse(text);
  if (!again || again->text() != text) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An entry costs about a hundred bytes beside its line, the shortest of which has seven.
  kvo::fuzz::atSizeAndLimit(data, size, kvo::read_limit::kDeploymentRecord, check);
  return 0;
}
