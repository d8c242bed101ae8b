#pragma once

#include "app/selector.h"

class QScreen;
class QWidget;

namespace kvo::ui {

// The size of `screen` as start-up reports it under "User's PC natural resolution:".
kvo::ScreenSize screenSize(const QScreen& screen);

// Sizes and places `window` on `screen` before it is first shown.
void fitOnScreen(QWidget& window, const QScreen& screen);

}  // namespace kvo::ui
