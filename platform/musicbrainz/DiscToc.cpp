#include "DiscToc.h"

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace quillon::musicbrainz {

namespace {

constexpr std::int32_t kLeadIn = 150;
// The lead-out, lead-in and data track pre-gap between an enhanced CD's two sessions.
constexpr std::int32_t kSessionGap = 11400;

std::array<unsigned char, 20> sha1(const std::string& text) {
    std::array<unsigned char, 20> digest{};
    unsigned int length = 0;
    EVP_Digest(text.data(), text.size(), digest.data(), &length, EVP_sha1(), nullptr);
    return digest;
}

std::string base64(const unsigned char* data, std::size_t size) {
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._";
    std::string out;
    for (std::size_t i = 0; i < size; i += 3) {
        const std::uint32_t chunk = (std::uint32_t{data[i]} << 16) |
                                    (i + 1 < size ? std::uint32_t{data[i + 1]} << 8 : 0) |
                                    (i + 2 < size ? std::uint32_t{data[i + 2]} : 0);
        out += alphabet[(chunk >> 18) & 63];
        out += alphabet[(chunk >> 12) & 63];
        out += i + 1 < size ? alphabet[(chunk >> 6) & 63] : '-';
        out += i + 2 < size ? alphabet[chunk & 63] : '-';
    }
    return out;
}

}  // namespace

std::optional<DiscToc> discToc(const cdrom::DiscLayout& layout) {
    if (!layout.valid() || layout.dataTracks.size() != layout.starts.size()) return std::nullopt;
    const auto& data = layout.dataTracks;
    const auto firstAudio = std::find(data.begin(), data.end(), false);
    if (firstAudio == data.end()) return std::nullopt;
    const auto afterAudio = std::find(firstAudio, data.end(), true);
    if (std::find(afterAudio, data.end(), false) != data.end()) return std::nullopt;

    const auto first = static_cast<std::size_t>(firstAudio - data.begin());
    const auto end = static_cast<std::size_t>(afterAudio - data.begin());
    DiscToc toc;
    toc.firstTrack = layout.firstTrack + static_cast<int>(first);
    toc.lastTrack = layout.firstTrack + static_cast<int>(end) - 1;
    for (std::size_t i = first; i < end; ++i)
        toc.offsets.push_back(layout.starts[i] + kLeadIn);
    toc.leadOut = end < data.size() ? layout.starts[end] - kSessionGap : layout.leadOut;
    toc.leadOut += kLeadIn;
    if (toc.leadOut <= toc.offsets.back()) return std::nullopt;
    return toc;
}

std::string discId(const DiscToc& toc) {
    // The table always has room for tracks 1 to 99, the unused slots zero.
    std::array<std::int32_t, 100> slots{};
    slots[0] = toc.leadOut;
    for (std::size_t i = 0; i < toc.offsets.size(); ++i) {
        const auto slot = static_cast<std::size_t>(toc.firstTrack) + i;
        if (slot < slots.size()) slots[slot] = toc.offsets[i];
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "%02X%02X", toc.firstTrack & 0xFF, toc.lastTrack & 0xFF);
    std::string text = hex;
    for (const std::int32_t value : slots) {
        std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(value));
        text += hex;
    }
    const auto digest = sha1(text);
    return base64(digest.data(), digest.size());
}

std::string tocText(const DiscToc& toc) {
    std::string text = std::to_string(toc.firstTrack) + '+' + std::to_string(toc.lastTrack) + '+' +
                       std::to_string(toc.leadOut);
    for (const std::int32_t offset : toc.offsets)
        text += '+' + std::to_string(offset);
    return text;
}

bool validDiscId(const std::string& id) {
    return id.size() == 28 && std::all_of(id.begin(), id.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '.' || c == '_' || c == '-';
           });
}

}  // namespace quillon::musicbrainz
