// Talking to a CDDB server through its cddb.cgi HTTP interface.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace quillon::cdrom {

struct CddbSettings {
    std::string server;      // host, optionally ":port"; empty: the default server
    std::string cgiPath;     // empty: "/~cddb/cddb.cgi"
    std::string email;       // user@host for the greeting
    std::string clientName;  // "name version"
};

// The request URL for a command such as "cddb query ...", or nothing when the server or path
// is not something a URL can safely be made of.
std::optional<std::string> cddbUrl(const CddbSettings& settings, const std::string& command);

// How long a request may take to connect and in all; a dead server must cost seconds only.
void setCddbTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total);

// The body of a successful (HTTP 200) answer; nothing on any network or HTTP failure, a
// timeout or an answer larger than any CDDB answer is.
std::optional<std::string> cddbRequest(const CddbSettings& settings, const std::string& command);

}  // namespace quillon::cdrom
