// The short texts that tell the user what a rip found, shared by the rip log and the rip
// window so that both say the same thing in the same words.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "RipReport.h"

// The AccurateRip verdict: "accurate, confidence 12 (v2)", "mismatch", "not in database" or
// "not verified: offline". `withVersion` false leaves out the " (v2)".
std::string verdictText(const quillon::accuraterip::TrackVerdict& verdict, bool withVersion);

// One track's result in a few words: "accurate, confidence 12", "mismatch", "not in database",
// "2 unsettled positions at 03:12.40, 03:15.02", "test and copy CRCs differ", "cancelled",
// "failed: <why>". What could not be read settles it before what the database says.
std::string trackResultText(const TrackRipReport& track);

// The closing line: "All 10 tracks accurately ripped", "8 of 10 tracks accurate, 1 not
// verified, 1 with 2 unsettled positions"; a fast rip says it was not verified.
std::string ripSummaryText(const RipReport& report);

// Text of outside origin (names, file names) made safe to stand on one line of a text file:
// control characters, line and paragraph separators and direction overrides become blanks,
// and bytes that are not UTF-8 become U+FFFD, so that no name can start a line of its own.
std::string oneLineText(std::string_view text);

// A CRC32 or AccurateRip checksum as eight upper-case hex digits, as rippers' logs show them.
std::string checksumText(std::uint32_t value);
// A track number as two digits: "01".
std::string trackNumberText(int number);
