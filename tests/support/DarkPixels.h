#pragma once

#include "support/QuickFind.h"

#include <QQuickItem>
#include <QQuickWindow>

// Dark pixels inside an item once drawn: its text is on screen.
inline int darkPixels(QQuickWindow* window, QQuickItem* item, int below = 110)
{
    settleFrames(window);
    const QImage frame = window->grabWindow();
    const QRect area = item->mapRectToScene(item->boundingRect()).toRect();
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            dark += frame.pixelColor(x, y).lightness() < below ? 1 : 0;
    return dark;
}
