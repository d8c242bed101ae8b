#include "engine/load_record.h"

namespace kvo {

std::vector<std::string> loadedSelection(const FormState& st) {
  std::vector<std::string> names;
  for (int r = 1; r < st.Unigrid.rows(); ++r) {
    if (st.Unigrid.text(r, 2) == "S") names.push_back(st.Unigrid.text(r, 1));
  }
  for (int r = 1; r < st.SK1.rows(); ++r) {
    if (st.SK1.text(r, 1) == "S") names.push_back(st.SK1.text(r, 0));
  }
  if (st.Frame6Visible) {
    for (int r = 1; r < st.G1.rows(); ++r) {
      if (st.G1.text(r, 4) == "S") names.push_back(st.G1.text(r, 0));
    }
  }
  return names;
}

}  // namespace kvo
