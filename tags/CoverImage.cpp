#include "CoverImage.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<std::uint8_t, 3> kJpegStart = {0xFF, 0xD8, 0xFF};
constexpr std::array<std::uint8_t, 8> kPngStart = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

template <std::size_t N>
bool startsWith(const std::vector<std::uint8_t>& data, const std::array<std::uint8_t, N>& start) {
    return data.size() > N && std::equal(start.begin(), start.end(), data.begin());
}

}  // namespace

CoverKind coverKind(const CoverArt& cover) {
    if (startsWith(cover.data, kJpegStart)) return CoverKind::jpeg;
    if (startsWith(cover.data, kPngStart)) return CoverKind::png;
    return CoverKind::none;
}

const char* coverMimeType(CoverKind kind) {
    switch (kind) {
        case CoverKind::jpeg:
            return "image/jpeg";
        case CoverKind::png:
            return "image/png";
        case CoverKind::none:
            break;
    }
    return "";
}

const char* coverExtension(CoverKind kind) {
    switch (kind) {
        case CoverKind::jpeg:
            return "jpg";
        case CoverKind::png:
            return "png";
        case CoverKind::none:
            break;
    }
    return "";
}

const CoverArt* usableCover(const TrackTags& tags) {
    return tags.cover && coverKind(*tags.cover) != CoverKind::none ? tags.cover.get() : nullptr;
}
