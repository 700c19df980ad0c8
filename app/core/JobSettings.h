// How many files are encoded at once: [Rip] jobs in "settings.ini", 0 (or nothing stored)
// meaning as many as the machine has cores. The batch converter uses it; so does the
// command line's --jobs, which takes the same values.
#pragma once

#include "IniFile.h"

inline constexpr int kMaxJobs = 64;

// The stored value, 0 when it is missing or not a number from 0 to kMaxJobs.
int readJobsSetting(const TIniFile& settings);
// The number of jobs to run for a setting: the setting itself, or the core count for 0.
int resolveJobs(int setting);
