#pragma once

class QPainter;
class QPalette;
class QRect;

namespace kvo::ui {

// Draws the window's one focus mark, a frame in the highlight colour two pixels wide just inside
// `rect`. The styles' own dotted boxes are too faint to follow by keyboard, and a filled
// highlight would hide the green and orange marks of loaded rows.
void drawFocusMark(QPainter& painter, const QRect& rect, const QPalette& palette);

}  // namespace kvo::ui
