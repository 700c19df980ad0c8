#include "RequestPacer.h"

#include <algorithm>

namespace quillon::musicbrainz {

RequestPacer::Clock::time_point RequestPacer::claim(Clock::time_point now) {
    std::lock_guard guard(m_lock);
    const Clock::time_point moment = m_last ? std::max(now, *m_last + m_interval) : now;
    m_last = moment;
    return moment;
}

void RequestPacer::setInterval(Clock::duration interval) {
    std::lock_guard guard(m_lock);
    m_interval = interval;
}

}  // namespace quillon::musicbrainz
