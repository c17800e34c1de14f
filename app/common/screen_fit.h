// Placing a top-level window on a small screen.
#pragma once

#include <QMargins>
#include <QRect>

// The window's frame (its client rectangle grown by the window manager's margins) moved into
// the available area, and first shrunk to it where it is larger. Returns the client rectangle.
QRect FitIntoArea(const QRect& client, const QMargins& frame, const QRect& available);
