// Spaces requests to one service: the MusicBrainz web service allows one request per second
// from a program and blocks those that send more. Each request claims the next free moment;
// the pacer itself never sleeps, so tests can drive it with made-up times.
#pragma once

#include <chrono>
#include <mutex>
#include <optional>

namespace quillon::musicbrainz {

class RequestPacer {
  public:
    using Clock = std::chrono::steady_clock;

    explicit RequestPacer(Clock::duration interval) : m_interval(interval) {}

    // The moment a request wanting to go at now may go (now or later), kept as taken: the
    // next claim gets a moment at least one interval after it.
    Clock::time_point claim(Clock::time_point now);

    void setInterval(Clock::duration interval);

  private:
    std::mutex m_lock;
    Clock::duration m_interval;
    std::optional<Clock::time_point> m_last;
};

}  // namespace quillon::musicbrainz
