#pragma once

#include "state/grid.h"

namespace kvo {

// Sorts the rows below the header ascending by column `col`: numbers as numbers, before
// other text, which compares without regard to case. Rows keep their colours and heights.
void sortRowsAscending(Grid& grid, int col);

}  // namespace kvo
