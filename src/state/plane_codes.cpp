#include "state/plane_codes.h"

namespace kvo {

std::array<std::string, 31> planeCodeTable() {
  return {"p38h", "p38j", "p47c", "p47d", "p51b", "p51d", "bb17", "b24a", "b26a", "hurr", "sp2a",
          "sp09", "sp14", "typh", "temp", "mosq", "109e", "109g", "109k", "110c", "110g", "m410",
          "190a", "190d", "262a", "j88a", "j88c", "ju87", "h111", "v1v1", ""};
}

}  // namespace kvo
