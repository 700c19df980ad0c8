// Hands work from other threads to one owner thread: post() from anywhere, the owner runs the
// posted functions in order. quillon-cli and the tests use it where the rip window uses the Qt
// event loop.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class EventQueue {
  public:
    void post(std::function<void()> work);
    // A function for RipJob that posts here. The queue must outlive its users.
    std::function<void(std::function<void()>)> poster();

    // Runs what is queued, waiting up to `wait` for the first item. Returns the number run.
    int runPending(std::chrono::milliseconds wait = std::chrono::milliseconds(0));

  private:
    std::mutex m_lock;
    std::condition_variable m_arrived;
    std::deque<std::function<void()>> m_items;
};
