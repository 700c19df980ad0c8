// What quillon-cli rip prints of a rip's report: one line per track for a person, or the whole
// report as JSON for a script.
#pragma once

#include <string>

#include "RipReport.h"

// "Track 01: accurate (confidence 12, v2)", one line per track, each ended by a newline.
std::string ripResultLines(const RipReport& report);

// The report as a JSON document (with a final newline). Checksums are 8 upper-case hex digits.
std::string ripReportJson(const RipReport& report);

// True when every track was read to its end with nothing left unsettled.
bool everyTrackSettled(const RipReport& report);
