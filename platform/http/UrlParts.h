// The checks a server setting passes before a URL is made of it, shared by the online
// lookups: nothing a user types into a setting may add a query, a fragment, an escape or a
// control character to a request.
#pragma once

#include <string>

namespace quillon::http {

// A host name or a bracketed IPv6 address, with an optional ":port" of up to five digits.
bool validHost(const std::string& host);
// A path of printable ASCII without "?", "#", "%" or "\".
bool validPath(const std::string& path);

}  // namespace quillon::http
