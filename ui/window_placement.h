#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <algorithm>

namespace runemill {

// Top left corner of a window of the given outer size, centred on the screen;
// along an axis where the window is larger than the screen it stands at the
// screen's edge rather than off it.
inline QPoint CentredTopLeft(const QRect& screen, const QSize& outer) {
  return {screen.x() + (screen.width() - std::min(screen.width(), outer.width())) / 2,
          screen.y() + (screen.height() - std::min(screen.height(), outer.height())) / 2};
}

}  // namespace runemill
