// Waiting in a window test for what a worker thread or the event loop brings about.
#pragma once

#include <QTest>

// How long a window test waits before it gives up; generous, for the sanitizer builds on a
// busy machine. A passing test never waits this long.
constexpr int kWaitPatienceMs = 60000;

// Runs the event loop until the condition holds; false when it did not within the patience.
template <typename Condition>
bool waitFor(Condition condition, int patienceMs = kWaitPatienceMs) {
    return QTest::qWaitFor(condition, patienceMs);
}
