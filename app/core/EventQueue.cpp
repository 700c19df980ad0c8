#include "EventQueue.h"

void EventQueue::post(std::function<void()> work) {
    {
        std::lock_guard guard(m_lock);
        m_items.push_back(std::move(work));
    }
    m_arrived.notify_all();
}

std::function<void(std::function<void()>)> EventQueue::poster() {
    return [this](std::function<void()> work) { post(std::move(work)); };
}

int EventQueue::runPending(std::chrono::milliseconds wait) {
    std::deque<std::function<void()>> batch;
    {
        std::unique_lock guard(m_lock);
        m_arrived.wait_for(guard, wait, [this] { return !m_items.empty(); });
        batch.swap(m_items);
    }
    for (auto& work : batch)
        work();
    return static_cast<int>(batch.size());
}
