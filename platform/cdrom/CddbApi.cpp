// The CDDB calls of the CD access API.
#include <algorithm>
#include <cstring>
#include <mutex>

#include "AKRip32.h"
#include "CddbClient.h"
#include "CddbParse.h"
#include "DiscId.h"
#include "OpenDiscs.h"

using namespace quillon::cdrom;

namespace {

std::mutex g_lock;
CddbSettings g_settings;

CddbSettings currentSettings() {
    std::lock_guard guard(g_lock);
    return g_settings;
}

}  // namespace

int CDDBSetOption(int option, const char* text, int /*value*/) {
    const std::string value = text != nullptr ? text : "";
    std::lock_guard guard(g_lock);
    switch (option) {
        case kCddbOptionServer:
            g_settings.server = value;
            return 1;
        case kCddbOptionClientName:
            g_settings.clientName = value;
            return 1;
        case kCddbOptionEmail:
            g_settings.email = value;
            return 1;
        case kCddbOptionCgiPath:
            g_settings.cgiPath = value;
            return 1;
        default:
            return 0;
    }
}

int CDDBGetServerList(CddbSiteList* list) {
    if (list != nullptr) list->count = 0;
    const auto answer = cddbRequest(currentSettings(), "sites");
    if (!answer) return 0;
    const auto sites = parseSitesAnswer(*answer);
    if (!sites) return 0;
    if (list != nullptr && list->sites != nullptr) {
        const std::size_t room = static_cast<std::size_t>(std::max(list->capacity, 0));
        const std::size_t count = std::min(room, sites->size());
        for (std::size_t i = 0; i < count; ++i)
            fillSite((*sites)[i], list->sites[i]);
        list->count = static_cast<std::int32_t>(count);
    }
    return 1;
}

int CDDBQuery(CdHandle handle, CddbQuery* query) {
    if (query != nullptr) query->count = 0;
    const auto layout = openDiscLayout(handle);
    if (!layout) return -1;
    const auto answer = cddbRequest(currentSettings(), "cddb query " + cddbQueryArguments(*layout));
    if (!answer) return -1;
    const auto result = parseQueryAnswer(*answer);
    if (result.outcome == CddbQueryAnswer::Outcome::Failed) return -1;
    if (query == nullptr || query->matches == nullptr) return 0;
    const std::size_t room = static_cast<std::size_t>(std::max(query->capacity, 0));
    const std::size_t count = std::min(room, result.matches.size());
    for (std::size_t i = 0; i < count; ++i)
        fillMatch(result.matches[i], query->matches[i]);
    query->count = static_cast<std::int32_t>(count);
    return query->count;
}

int CDDBGetDiskInfo(const CddbMatch* match, char* text, std::int32_t size) {
    if (match == nullptr || text == nullptr || size <= 0) return 0;
    text[0] = '\0';
    // The record's fields may have been filled by anyone: take them only up to their size.
    const std::string category(match->category, strnlen(match->category, sizeof match->category));
    const std::string discId(match->discId, strnlen(match->discId, sizeof match->discId));
    if (category.empty() || discId.empty()) return 0;
    const auto answer = cddbRequest(currentSettings(), "cddb read " + category + ' ' + discId);
    if (!answer) return 0;
    const auto lines = parseReadAnswer(*answer);
    if (!lines) return 0;
    // One line per field, so that a reader taking the first line of a key gets all of it.
    writeEntryText(joinEntryLines(*lines), text, static_cast<std::size_t>(size));
    return 1;
}
