// Hands work from a sink's worker thread to the thread of a window. The audio components
// report progress and completion on their worker; a window touches its widgets only on its
// own thread (the UI thread), so every report handler goes through here.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <functional>
#include <utility>

// Queues work for the thread of window; dropped if the window is gone before it runs.
inline void onWindowThread(QObject* window, std::function<void()> work) {
    QMetaObject::invokeMethod(window, std::move(work), Qt::QueuedConnection);
}
