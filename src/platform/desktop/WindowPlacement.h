#pragma once

#include <QRect>

class QWidget;

namespace platform {

// Where a window whose frame is `frame` opens inside `area`: no larger than
// the area, and moved in (keeping its size) where it would stick out.
QRect fitIntoArea(const QRect &frame, const QRect &area);

// Fits a top-level window, frame included, into the available area of its
// screen (the screen without panels and docks): a window larger than the
// area is made smaller, even one of fixed size, and one that sticks out is
// moved in. A dialog that has not been placed by code is only sized: it
// centres itself over its parent within the area when it shows.
void fitToScreen(QWidget *window);

// Fits the window to its screen each time the program shows it. Called once,
// where the window is made.
void keepOnScreen(QWidget *window);

} // namespace platform
