// Waiting, in a test without an event loop, for what another thread brings about.
#pragma once

#include <chrono>
#include <thread>

// Polls the condition until it holds; false when it did not within the patience, which is
// generous for the sanitizer builds on a busy machine. A passing test never waits this long.
template <typename Condition>
bool eventually(Condition condition,
                std::chrono::milliseconds patience = std::chrono::seconds(30)) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
