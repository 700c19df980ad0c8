#include "ThreadWatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QProgressBar>
#include <QThread>

ThreadWatch::ThreadWatch(QProgressBar* gauge, std::initializer_list<QWidget*> buttons) {
    watchValue(gauge);
    for (QWidget* button : buttons)
        button->installEventFilter(this);
}

void ThreadWatch::watch(QWidget* widget) {
    widget->installEventFilter(this);
    if (auto* gauge = qobject_cast<QProgressBar*>(widget)) watchValue(gauge);
}

bool ThreadWatch::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::EnabledChange) note(enabledChanges);
    return false;
}

// A direct connection, so that the count is taken on the thread that made the change.
void ThreadWatch::watchValue(QProgressBar* gauge) {
    connect(
        gauge, &QProgressBar::valueChanged, this, [this] { note(gaugeChanges); },
        Qt::DirectConnection);
}

void ThreadWatch::note(std::atomic<int>& counter) {
    ++counter;
    ++changes;
    if (QThread::currentThread() != QCoreApplication::instance()->thread()) ++offThread;
}
