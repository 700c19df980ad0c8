#include "JobSettings.h"

#include <algorithm>
#include <thread>

int readJobsSetting(const TIniFile& settings) {
    const int stored = settings.ReadInteger("Rip", "jobs", 0);
    return stored >= 0 && stored <= kMaxJobs ? stored : 0;
}

int resolveJobs(int setting) {
    if (setting > 0) return std::min(setting, kMaxJobs);
    // The count can be unknown (0); one job still gets the work done.
    return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMaxJobs);
}
