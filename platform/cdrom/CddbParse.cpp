#include "CddbParse.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <unordered_map>

#include "TextField.h"

namespace quillon::cdrom {

namespace {

// The blank-separated words of a line; the last of at most `limit` words keeps the rest of
// the line, blanks included.
std::vector<std::string_view> words(std::string_view line, size_t limit) {
    std::vector<std::string_view> result;
    size_t i = 0;
    while (i < line.size() && result.size() < limit) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i == line.size()) break;
        size_t end = i;
        if (result.size() + 1 == limit) {
            end = line.size();
        } else {
            while (end < line.size() && line[end] != ' ' && line[end] != '\t')
                ++end;
        }
        result.push_back(line.substr(i, end - i));
        i = end;
    }
    return result;
}

// The lines after the status line up to the "." line; nothing when the answer stops early.
std::optional<std::vector<std::string>> listBody(std::vector<std::string> lines) {
    const auto end = std::find(lines.begin() + 1, lines.end(), ".");
    if (end == lines.end()) return std::nullopt;
    lines.erase(end, lines.end());
    lines.erase(lines.begin());
    return lines;
}

std::optional<CddbMatchInfo> matchFromWords(std::string_view line) {
    const auto parts = words(line, 3);
    if (parts.size() < 2) return std::nullopt;
    CddbMatchInfo match;
    match.category = parts[0];
    match.discId = parts[1];
    splitDiscTitle(parts.size() > 2 ? parts[2] : std::string_view{}, match.artist, match.title);
    return match;
}

}  // namespace

std::vector<std::string> answerLines(std::string_view answer) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < answer.size()) {
        size_t end = answer.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last) end = answer.size();
        std::string_view line = answer.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::string text(line);
        text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
        lines.push_back(std::move(text));
        start = end + 1;
    }
    return lines;
}

std::optional<int> statusCode(std::string_view line) {
    if (line.size() < 3 || (line.size() > 3 && line[3] != ' ' && line[3] != '\t'))
        return std::nullopt;
    int code = 0;
    for (size_t i = 0; i < 3; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return std::nullopt;
        code = code * 10 + (line[i] - '0');
    }
    return code;
}

std::optional<std::vector<CddbSiteInfo>> parseSitesAnswer(std::string_view answer) {
    auto lines = answerLines(answer);
    if (lines.empty()) return std::nullopt;
    const auto code = statusCode(lines.front());
    if (code == 401) return std::vector<CddbSiteInfo>{};
    if (code != 210) return std::nullopt;
    const auto body = listBody(std::move(lines));
    if (!body) return std::nullopt;
    std::vector<CddbSiteInfo> sites;
    for (const auto& line : *body) {
        const auto parts = words(line, 7);
        CddbSiteInfo site;
        if (parts.size() == 7) {
            // site protocol port address latitude longitude description
            site = {std::string(parts[0]), std::string(parts[1]), std::string(parts[2]),
                    std::string(parts[3]), std::string(parts[4]), std::string(parts[5]),
                    std::string(parts[6])};
        } else if (const auto old = words(line, 5); old.size() == 5) {
            // The first protocol level's form: site port latitude longitude description.
            site.host = old[0];
            site.protocol = "cddbp";
            site.port = old[1];
            site.latitude = old[2];
            site.longitude = old[3];
            site.description = old[4];
        } else {
            continue;
        }
        sites.push_back(std::move(site));
    }
    return sites;
}

CddbQueryAnswer parseQueryAnswer(std::string_view answer) {
    CddbQueryAnswer result;
    auto lines = answerLines(answer);
    if (lines.empty()) return result;
    const auto code = statusCode(lines.front());
    if (code == 202) {
        result.outcome = CddbQueryAnswer::Outcome::NoMatch;
    } else if (code == 200) {
        if (auto match = matchFromWords(std::string_view(lines.front()).substr(3))) {
            result.matches.push_back(std::move(*match));
            result.outcome = CddbQueryAnswer::Outcome::Found;
        }
    } else if (code == 210 || code == 211) {
        const auto body = listBody(std::move(lines));
        if (!body) return result;
        for (const auto& line : *body) {
            if (auto match = matchFromWords(line)) result.matches.push_back(std::move(*match));
        }
        if (!result.matches.empty()) result.outcome = CddbQueryAnswer::Outcome::Found;
    }
    return result;
}

std::optional<std::vector<std::string>> parseReadAnswer(std::string_view answer) {
    auto lines = answerLines(answer);
    if (lines.empty() || statusCode(lines.front()) != 210) return std::nullopt;
    return listBody(std::move(lines));
}

void splitDiscTitle(std::string_view discTitle, std::string& artist, std::string& title) {
    const size_t separator = discTitle.find(" / ");
    if (separator == std::string_view::npos) {
        artist = discTitle;
        title = discTitle;
    } else {
        artist = discTitle.substr(0, separator);
        title = discTitle.substr(separator + 3);
    }
}

std::vector<std::string> joinEntryLines(const std::vector<std::string>& lines) {
    std::vector<std::string> joined;
    std::unordered_map<std::string_view, std::size_t> firstLine;  // key -> index in joined
    joined.reserve(lines.size());
    for (const auto& line : lines) {
        const std::size_t equals = line.find('=');
        if (line.empty() || line.front() == '#' || equals == std::string::npos || equals == 0) {
            joined.push_back(line);
            continue;
        }
        const std::string_view key(line.data(), equals);  // lines outlive the map
        const auto [it, added] = firstLine.try_emplace(key, joined.size());
        if (added)
            joined.push_back(line);
        else
            joined[it->second].append(line, equals + 1);
    }
    return joined;
}

std::size_t writeEntryText(const std::vector<std::string>& lines, char* text, std::size_t size) {
    if (text == nullptr || size == 0) return 0;
    std::size_t used = 0;
    for (const auto& line : lines) {
        // Room for the line, its carriage return and the final zero.
        if (line.size() + 2 > size - used) continue;
        std::memcpy(text + used, line.data(), line.size());
        used += line.size();
        text[used++] = '\r';
    }
    text[used] = '\0';
    return used;
}

std::optional<std::string> entryValue(std::string_view entryText, std::string_view key) {
    std::optional<std::string> value;
    size_t start = 0;
    while (start < entryText.size()) {
        size_t end = entryText.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = entryText.size();
        const std::string_view line = entryText.substr(start, end - start);
        if (line.size() > key.size() && line.substr(0, key.size()) == key &&
            line[key.size()] == '=') {
            if (!value) value.emplace();
            value->append(line.substr(key.size() + 1));
        }
        start = end + 1;
    }
    return value;
}

void fillMatch(const CddbMatchInfo& info, CddbMatch& match) {
    copyField(match.category, info.category);
    copyField(match.discId, info.discId);
    copyField(match.artist, info.artist);
    copyField(match.title, info.title);
}

void fillSite(const CddbSiteInfo& info, CddbSite& site) {
    copyField(site.host, info.host);
    copyField(site.protocol, info.protocol);
    copyField(site.port, info.port);
    copyField(site.path, info.path);
    copyField(site.latitude, info.latitude);
    copyField(site.longitude, info.longitude);
    copyField(site.description, info.description);
}

}  // namespace quillon::cdrom
