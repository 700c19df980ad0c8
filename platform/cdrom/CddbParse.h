// Reading the answers of a CDDB server (cddb.cgi, protocol level 6). Pure text functions, so
// that hostile answers can be tested and fuzzed without a network.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AKRip32.h"

namespace quillon::cdrom {

// The answer's lines without their line ends; NUL bytes, which no zero-terminated text can
// carry, are dropped.
std::vector<std::string> answerLines(std::string_view answer);

// The three-digit code at the start of a status line.
std::optional<int> statusCode(std::string_view line);

struct CddbSiteInfo {
    std::string host, protocol, port, path, latitude, longitude, description;
};

// "sites": the list (210), or an empty list when the server has none to offer (401).
std::optional<std::vector<CddbSiteInfo>> parseSitesAnswer(std::string_view answer);

struct CddbMatchInfo {
    std::string category, discId, artist, title;
};

struct CddbQueryAnswer {
    enum class Outcome { Found, NoMatch, Failed };
    Outcome outcome = Outcome::Failed;
    std::vector<CddbMatchInfo> matches;  // in the server's order
};

// "query": 200 one exact match; 210 several exact, 211 inexact matches (a list up to ".");
// 202 none; anything else is a failure.
CddbQueryAnswer parseQueryAnswer(std::string_view answer);

// "read": the entry's lines (210, up to the "." line), or nothing.
std::optional<std::vector<std::string>> parseReadAnswer(std::string_view answer);

// "Artist / Title"; without the separator the whole text is both, as CDDB has it.
void splitDiscTitle(std::string_view discTitle, std::string& artist, std::string& title);

// The entry's lines with every field in one line. An entry continues a long value over several
// lines with the same key ("TTITLE3=", "DTITLE=", "EXTD="); as the CDDB file format defines,
// their values join in order, here in the line of the first piece. Comments and lines without
// "=" stay as they are.
std::vector<std::string> joinEntryLines(const std::vector<std::string>& lines);

// Writes the lines, each ended by a carriage return, and a terminating zero into text. A line
// that does not fit in the room left is left out. Returns the bytes written before the zero.
std::size_t writeEntryText(const std::vector<std::string>& lines, char* text, std::size_t size);

// The value of a key in an entry text (lines ended by CR or LF): the values of all its
// "key=value" lines joined in order, or nothing without such a line.
std::optional<std::string> entryValue(std::string_view entryText, std::string_view key);

void fillMatch(const CddbMatchInfo& info, CddbMatch& match);
void fillSite(const CddbSiteInfo& info, CddbSite& site);

}  // namespace quillon::cdrom
