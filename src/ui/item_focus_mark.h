#pragma once

class QAbstractItemView;

namespace kvo::ui {

// Puts the focus mark on the current item of `view` while the view has the focus: the item
// that Enter or Space acts on, which the styles show only faintly until it is also selected.
void markCurrentItem(QAbstractItemView& view);

}  // namespace kvo::ui
