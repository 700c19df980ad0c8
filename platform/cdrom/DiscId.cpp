#include "DiscId.h"

#include <algorithm>
#include <cstdio>

namespace quillon::cdrom {

namespace {

constexpr std::int32_t kLeadIn = 150;
constexpr std::int32_t kFramesPerSecond = 75;

std::uint32_t digitSum(std::int64_t n) {
    std::uint32_t sum = 0;
    for (n = std::max<std::int64_t>(n, 0); n > 0; n /= 10)
        sum += static_cast<std::uint32_t>(n % 10);
    return sum;
}

std::uint32_t readAddress(const CdTocEntry& entry) {
    return (std::uint32_t{entry.address[0]} << 24) | (std::uint32_t{entry.address[1]} << 16) |
           (std::uint32_t{entry.address[2]} << 8) | entry.address[3];
}

}  // namespace

std::uint32_t cddbDiscId(const DiscLayout& layout) {
    if (layout.starts.empty()) return 0;
    std::uint32_t sum = 0;
    for (std::int32_t start : layout.starts)
        sum += digitSum((std::int64_t{start} + kLeadIn) / kFramesPerSecond);
    const std::int64_t seconds =
        (std::int64_t{layout.leadOut} - layout.starts.front()) / kFramesPerSecond;
    return ((sum % 255) << 24) | ((static_cast<std::uint32_t>(seconds) & 0xFFFF) << 8) |
           (static_cast<std::uint32_t>(layout.trackCount()) & 0xFF);
}

std::string discIdText(std::uint32_t discId) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", discId);
    return text;
}

std::string cddbQueryArguments(const DiscLayout& layout) {
    std::string text = discIdText(cddbDiscId(layout)) + ' ' + std::to_string(layout.trackCount());
    for (std::int32_t start : layout.starts)
        text += ' ' + std::to_string(std::int64_t{start} + kLeadIn);
    text += ' ' + std::to_string((std::int64_t{layout.leadOut} + kLeadIn) / kFramesPerSecond);
    return text;
}

DiscLayout layoutFromToc(const CdToc& toc) {
    DiscLayout layout;
    layout.firstTrack = toc.firstTrack;
    if (toc.lastTrack < toc.firstTrack) return layout;
    const int tracks = std::min(toc.lastTrack - toc.firstTrack + 1, kCdMaxTocEntries - 1);
    for (int i = 0; i < tracks; ++i) {
        layout.starts.push_back(static_cast<std::int32_t>(readAddress(toc.entries[i])));
        layout.dataTracks.push_back((toc.entries[i].control & kCdDataTrackFlag) != 0);
    }
    layout.leadOut = static_cast<std::int32_t>(readAddress(toc.entries[tracks]));
    return layout;
}

}  // namespace quillon::cdrom
