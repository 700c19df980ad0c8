#include "UrlParts.h"

#include <algorithm>
#include <cctype>

namespace quillon::http {

bool validHost(const std::string& host) {
    std::size_t end = 0;
    if (!host.empty() && host.front() == '[') {
        end = host.find(']');
        if (end == std::string::npos || end == 1) return false;
        if (!std::all_of(host.begin() + 1, host.begin() + static_cast<long>(end),
                         [](unsigned char c) { return std::isxdigit(c) != 0 || c == ':'; }))
            return false;
        ++end;
    } else {
        end = std::min(host.find(':'), host.size());
        if (end == 0 ||
            !std::all_of(host.begin(), host.begin() + static_cast<long>(end), [](unsigned char c) {
                return std::isalnum(c) != 0 || c == '.' || c == '-' || c == '_';
            }))
            return false;
    }
    if (end == host.size()) return true;
    return host[end] == ':' && end + 1 < host.size() && host.size() - end <= 6 &&
           std::all_of(host.begin() + static_cast<long>(end) + 1, host.end(),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

bool validPath(const std::string& path) {
    return std::all_of(path.begin(), path.end(), [](unsigned char c) {
        return c > 0x20 && c < 0x7F && c != '?' && c != '#' && c != '%' && c != '\\';
    });
}

}  // namespace quillon::http
