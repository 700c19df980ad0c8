#include "RipUtility.h"

#include <algorithm>
#include <cstdio>

#include "DiscId.h"

namespace {

constexpr std::uint32_t kCapacity = kCdMaxReadFrames * kCdFrameBytes;

}  // namespace

int tocTrackCount(const CdToc& toc) {
    if (toc.lastTrack < toc.firstTrack) return 0;
    return std::min(toc.lastTrack - toc.firstTrack + 1, kCdMaxTocEntries - 1);
}

std::uint32_t tocAddress(const CdToc& toc, int position) {
    const CdTocEntry& entry = toc.entries[position];
    return (std::uint32_t{entry.address[0]} << 24) | (std::uint32_t{entry.address[1]} << 16) |
           (std::uint32_t{entry.address[2]} << 8) | entry.address[3];
}

std::string localDiscIdText(const CdToc& toc) {
    const std::uint32_t id = quillon::cdrom::cddbDiscId(quillon::cdrom::layoutFromToc(toc));
    char text[9];
    std::snprintf(text, sizeof text, "%x", id);
    return text;
}

std::string trackTitle(std::string_view entryText, int track) {
    const std::string key = "TITLE" + std::to_string(track - 1) + "=";
    const size_t at = entryText.find(key);
    if (at == std::string_view::npos) return {};
    auto valueFrom = [&](size_t start) {
        const size_t end = entryText.find('\r', start);
        return entryText.substr(start, end == std::string_view::npos ? end : end - start);
    };
    std::string title(valueFrom(at + key.size()));
    // A long title goes on in later lines with the same key: those pieces belong to it.
    const size_t previousEnd = at == 0 ? std::string_view::npos : entryText.rfind('\r', at - 1);
    const size_t lineStart = previousEnd == std::string_view::npos ? 0 : previousEnd + 1;
    const std::string_view fullKey = entryText.substr(lineStart, at + key.size() - lineStart);
    for (size_t next = entryText.find('\r', at); next != std::string_view::npos;
         next = entryText.find('\r', next + 1)) {
        if (entryText.substr(next + 1, fullKey.size()) == fullKey)
            title += valueFrom(next + 1 + fullKey.size());
    }
    return title;
}

RipReadBuffer::RipReadBuffer()
    : m_storage(new std::uint32_t[(sizeof(CdReadBuffer) + kCapacity) / sizeof(std::uint32_t)]()) {
    head()->capacity = kCapacity;
}

bool RipReadBuffer::read(CdHandle handle, std::uint32_t start, std::uint32_t frames) {
    CdReadBuffer* buffer = head();
    buffer->startFrame = start;
    buffer->frameCount = frames;
    buffer->capacity = kCapacity;
    buffer->byteCount = 0;
    buffer->dataOffset = 0;
    const bool done = ReadCDAudioLBA(handle, buffer) == 1;
    // Only whole, in-bounds deliveries count; anything else is a failed read.
    const bool sane = buffer->frameCount > 0 && buffer->frameCount <= frames &&
                      buffer->byteCount == buffer->frameCount * kCdFrameBytes &&
                      buffer->dataOffset <= kCapacity - buffer->byteCount;
    if (done && sane) return true;
    buffer->byteCount = 0;
    buffer->frameCount = 0;
    buffer->dataOffset = 0;
    return false;
}

const std::uint8_t* RipReadBuffer::data() const {
    return CdReadBufferData(head()) + head()->dataOffset;
}
