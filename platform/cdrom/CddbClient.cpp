#include "CddbClient.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>

#include "HttpGet.h"

namespace quillon::cdrom {

namespace {

constexpr const char* kDefaultServer = "gnudb.gnudb.org";
constexpr const char* kDefaultCgiPath = "/~cddb/cddb.cgi";
// Entries of 99 tracks with long extended data stay far below this.
constexpr std::size_t kMaxAnswerBytes = 4 << 20;

std::atomic<long> g_connectMs{5000};
std::atomic<long> g_totalMs{10000};

// Query-string encoding as cddb.cgi reads it: blanks become '+'.
std::string encode(const std::string& text) {
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) != 0 || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// One word of the greeting: blanks would shift the fields that follow.
std::string helloWord(std::string text, const char* fallback) {
    std::replace_if(
        text.begin(), text.end(), [](unsigned char c) { return std::isspace(c) != 0; }, '_');
    return text.empty() ? fallback : text;
}

bool validServer(const std::string& server) {
    return std::all_of(server.begin(), server.end(), [](unsigned char c) {
        return std::isalnum(c) != 0 || c == '.' || c == '-' || c == '_' || c == ':' || c == '[' ||
               c == ']';
    });
}

bool validPath(const std::string& path) {
    return path.front() == '/' && std::all_of(path.begin(), path.end(), [](unsigned char c) {
               return c > 0x20 && c < 0x7F && c != '?' && c != '#';
           });
}

}  // namespace

std::optional<std::string> cddbUrl(const CddbSettings& settings, const std::string& command) {
    const std::string server = settings.server.empty() ? kDefaultServer : settings.server;
    const std::string path = settings.cgiPath.empty() ? kDefaultCgiPath : settings.cgiPath;
    if (!validServer(server) || !validPath(path)) return std::nullopt;

    const size_t at = settings.email.find('@');
    const std::string user = helloWord(settings.email.substr(0, at), "anonymous");
    const std::string host = helloWord(
        at == std::string::npos ? std::string() : settings.email.substr(at + 1), "localhost");
    const size_t blank = settings.clientName.find_last_of(' ');
    const std::string client = helloWord(settings.clientName.substr(0, blank), "quillon");
    const std::string version = helloWord(
        blank == std::string::npos ? std::string() : settings.clientName.substr(blank + 1), "0");

    return "http://" + server + path + "?cmd=" + encode(command) +
           "&hello=" + encode(user + ' ' + host + ' ' + client + ' ' + version) + "&proto=6";
}

void setCddbTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total) {
    g_connectMs = static_cast<long>(connect.count());
    g_totalMs = static_cast<long>(total.count());
}

std::optional<std::string> cddbRequest(const CddbSettings& settings, const std::string& command) {
    const auto url = cddbUrl(settings, command);
    if (!url) return std::nullopt;
    http::HttpLimits limits;
    limits.connect = std::chrono::milliseconds(g_connectMs.load());
    limits.total = std::chrono::milliseconds(g_totalMs.load());
    limits.maxBytes = kMaxAnswerBytes;
    auto answer = http::httpGet(*url, limits);
    if (!answer || answer->status != 200) return std::nullopt;
    return std::move(answer->body);
}

}  // namespace quillon::cdrom
