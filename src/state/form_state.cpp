#include "state/form_state.h"

namespace kvo {

const std::string& ListBox::selectedText() const {
  static const std::string empty;
  if (index < 0 || index >= static_cast<int>(items.size())) return empty;
  return items[static_cast<std::size_t>(index)];
}

}  // namespace kvo
