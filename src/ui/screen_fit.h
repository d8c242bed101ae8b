#pragma once

#include "app/selector.h"

class QScreen;
class QWidget;

namespace kvo::ui {

// The size of `screen` in device pixels, which is what the game's Width and Height count:
// Qt's own sizes shrink by the desktop's scaling (1280 x 720 for 1920 x 1080 at 150%).
kvo::ScreenSize screenSize(const QScreen& screen);

// Sizes `window` to fit into the free area of `screen` with its frame, never below the least
// its layout needs, and centres it there with the title bar on the screen. Call before the
// window is first shown.
void fitOnScreen(QWidget& window, const QScreen& screen);

}  // namespace kvo::ui
