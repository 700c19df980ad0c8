// The rip log and the cue sheet the rip job leaves beside the files it wrote, named after the
// album when its name is known.
#pragma once

#include <string>

#include "RipReport.h"

// The album's name made safe as a file name, or "rip" when it is not known.
std::string ripFilesBaseName(const RipReport& report);

// Writes "<base>.log" (ripLogText) and "<base>.cue" (cueSheetText) into folder, each
// replacing any earlier one in a single step, so a failure leaves the old file or none, never
// half a file. Returns what went wrong, or an empty text when both were written.
std::string writeRipFiles(const std::string& folder, const RipReport& report);
