// Dragging files over a window and dropping them, as a file manager does: the window gets the
// events a real drag brings, carrying file addresses in the drag's data.
#pragma once

#include <QPoint>
#include <QStringList>
#include <QUrl>

class QWidget;

// The drag's outcome as the window answered it.
struct DropAnswer {
    bool entered = false;  // the window took the drag in (the cursor says it may drop)
    bool dropped = false;  // the window took the drop
};

// Drags the addresses into the window at pos (its own coordinates), moves there and drops.
// The drop is only made when the window took the drag in and the move, as a real drag does.
DropAnswer sendDrop(QWidget* window, const QList<QUrl>& urls, QPoint pos = {});
// The same with local paths.
DropAnswer sendFileDrop(QWidget* window, const QStringList& paths, QPoint pos = {});
