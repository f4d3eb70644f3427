// The main window on the screen it opens on: its template size is its least
// size, made smaller only where the screen's free area cannot hold it.
#pragma once

#include <QRect>
#include <QSize>

namespace tarnwick {

// The least client size for a window whose frame, menu and borders add
// `chrome` to the client, on a screen whose free area is `available`.
QSize FitClientSize(QSize least, QSize chrome, QSize available);

// The window's place: `wanted` moved (never resized) to lie inside `available`
// as far as it can.
QRect PlaceWithin(const QRect& wanted, const QRect& available);

}  // namespace tarnwick
