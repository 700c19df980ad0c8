// Fetching a disc's entry from the AccurateRip database over HTTP.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "AccurateRipParse.h"
#include "DiscIds.h"

namespace quillon::accuraterip {

constexpr const char* kDefaultServer = "www.accuraterip.com";

// The entry's URL, "http://<server>/accuraterip/a/b/c/dBAR-NNN-<id1>-<id2>-<cddb id>.bin"
// (a, b, c: the last three hex digits of id1, last first). server is a host, "host:port", or
// a base "http://host[:port][/path]"; empty means kDefaultServer. Nothing when the server is
// not something a URL can safely be made of.
std::optional<std::string> accurateRipUrl(const std::string& server, const DiscIds& ids);

// How long a request may take to connect and in all; a dead server must cost seconds only.
void setAccurateRipTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total);

// Asks the database for the disc: Found with the disc's own pressings, NotFound on HTTP 404 or
// an answer that holds only other discs' pressings, Offline on any other failure, a timeout,
// or an answer parseAnswer refuses.
Lookup fetchAccurateRip(const std::string& server, const DiscIds& ids);

}  // namespace quillon::accuraterip
