#pragma once

#include <optional>
#include <string>
#include <system_error>

namespace kvo {

// The player's words for an errno value ("the disk is full"), or nullopt for a rare one.
std::optional<std::string> errnoReason(int value);

// The player's words for any failure: our own reasons, errno values and Windows errors in
// plain words, anything else as the system describes it.
std::string failureReason(const std::error_code& ec);

}  // namespace kvo
