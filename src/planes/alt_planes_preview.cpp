#include "planes/alt_planes.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"

namespace kvo {

void AltPlanes::G1_MouseMove(int row) {
  auto& st = state_;
  const auto& g1 = st.G1;
  if (row == notes_.lastHoverRow || row < 1 || row >= g1.rows()) return;
  notes_.lastHoverRow = row;
  const auto planeDir = nameToPath(st.Label2 + g1.text(row, 0));
  st.Image2 = st.BackgroundPicture;
  notes_.label19 = {};
  st.Text10.clear();
  if (const auto contents = findNoCase(planeDir, "contents.txt")) {
    std::error_code ec;
    if (const auto lines = readTextLines(*contents, ec, read_limit::kDescription)) {
      for (const auto& line : *lines) st.Text10 += line + "\r\n";
    } else {
      // A preview must not stop the player with a message box; the box shows why instead.
      st.Text10 = describeFailure("read", *contents, ec);
    }
  }
  notes_.label19 = {g1.text(row, 1), g1.text(row, 2)};
  auto& sk1 = st.SK1;
  const auto& artCode = g1.text(row, 2);
  for (int r = 1; r < sk1.rows(); ++r) {
    sk1.setRowHeight(r, sk1.text(r, 2) == artCode ? sk1.rowHeight(0) : 0);
  }
}

}  // namespace kvo
