// Where the buffer tools' dialogs stand: beside the hex view's data rather
// than over it, and never over the rows they have just shown (the address
// of go to and data view, find's hit), so the technician sees what the tool
// did.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

class QWidget;

namespace tarnwick {

class HexViewPanel;

// Every rectangle in screen coordinates. `frame` is the dialog's window with
// its frame; `row` may be empty. The first of: right of the data, left of
// it (both level with the row, or with the data's top without one); none
// when neither fits on `screen`.
std::optional<QPoint> BesideData(const QSize& frame, const QRect& data, const QRect& row,
                                 const QRect& screen);
// Where the dialog goes when it covers `row`: beside the data, else below
// or above the row (as little as it takes). None when it covers nothing.
std::optional<QPoint> OffTheRow(const QRect& frame, const QRect& data, const QRect& row,
                                const QRect& screen);

// A dialog that has just opened moves beside the data when there is room.
void PlaceBesideData(QWidget& dialog, const HexViewPanel& panel);
// After the view showed a row for the dialog: it moves off that row.
void KeepOffShownRows(QWidget& dialog, const HexViewPanel& panel);

}  // namespace tarnwick
