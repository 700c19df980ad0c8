// Feeds arbitrary server answers to the CDDB answer readers and checks that what they write
// stays inside the caller's records and buffers.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "AKRip32.h"
#include "CddbParse.h"

using namespace quillon::cdrom;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

template <std::size_t N>
bool terminated(const char (&field)[N]) {
    return std::memchr(field, '\0', N) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte picks the text buffer's size, so that small ones are tried too.
    const std::size_t bufferSize = size > 0 ? std::size_t{data[0]} * 131 + 1 : 32000;
    const std::string_view answer(reinterpret_cast<const char*>(data), size);

    if (const auto sites = parseSitesAnswer(answer)) {
        for (const auto& info : *sites) {
            CddbSite site;
            fillSite(info, site);
            check(terminated(site.host) && terminated(site.description));
        }
    }

    const auto query = parseQueryAnswer(answer);
    check(query.outcome != CddbQueryAnswer::Outcome::Found || !query.matches.empty());
    for (const auto& info : query.matches) {
        CddbMatch match;
        fillMatch(info, match);
        check(terminated(match.category) && terminated(match.discId) && terminated(match.artist) &&
              terminated(match.title));
    }

    if (const auto lines = parseReadAnswer(answer)) {
        std::vector<char> text(bufferSize + 8, '#');
        const auto joined = joinEntryLines(*lines);
        // Joining only merges lines: never more of them.
        check(joined.size() <= lines->size());
        const std::size_t used = writeEntryText(joined, text.data(), bufferSize);
        check(used < bufferSize && text[used] == '\0');
        for (std::size_t i = bufferSize; i < text.size(); ++i)
            check(text[i] == '#');
        const auto value = entryValue(std::string_view(text.data(), used), "TTITLE0");
        check(!value || value->size() < used);
    }
    return 0;
}
