#include "common/screen_fit.h"

#include <algorithm>

QRect FitIntoArea(const QRect& client, const QMargins& frame, const QRect& available) {
    QRect outer = client.marginsAdded(frame);
    outer.setWidth(std::min(outer.width(), available.width()));
    outer.setHeight(std::min(outer.height(), available.height()));
    const int x = std::clamp(outer.left(), available.left(), available.right() + 1 - outer.width());
    const int y = std::clamp(outer.top(), available.top(), available.bottom() + 1 - outer.height());
    outer.moveTo(x, y);
    return outer.marginsRemoved(frame);
}
