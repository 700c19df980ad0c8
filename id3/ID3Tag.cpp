#include "ID3Tag.h"

#include "ID3Frames.h"

namespace {

// Frame format flags of version 2.3.
constexpr uint8_t k23Compressed = 0x80;
constexpr uint8_t k23Encrypted = 0x40;
constexpr uint8_t k23Grouped = 0x20;
// Frame format flags of version 2.4.
constexpr uint8_t k24Grouped = 0x40;
constexpr uint8_t k24Compressed = 0x08;
constexpr uint8_t k24Encrypted = 0x04;
constexpr uint8_t k24Unsynchronised = 0x02;
constexpr uint8_t k24DataLength = 0x01;

uint32_t bigEndian(std::string_view bytes) {
    uint32_t value = 0;
    for (char c : bytes)
        value = value << 8 | static_cast<unsigned char>(c);
    return value;
}

// Four 7-bit bytes; false when a byte has its top bit set, so the number is not one.
bool syncSafe(std::string_view bytes, uint32_t& value) {
    value = 0;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b & 0x80) return false;
        value = value << 7 | b;
    }
    return true;
}

bool validId(std::string_view id) {
    if (id.empty() || id[0] < 'A' || id[0] > 'Z') return false;
    for (char c : id)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

// Where the frames start: after the extended header when the tag has one.
size_t framesStart(uint8_t version, uint8_t flags, std::string_view body) {
    if (version == 2 || !(flags & kTagExtendedHeader)) return 0;
    if (body.size() < 4) return body.size();
    uint32_t size = 0;
    if (version == 3) {
        // The size counts the bytes after its own four.
        size = bigEndian(body.substr(0, 4));
        return size > body.size() - 4 ? body.size() : 4 + size;
    }
    // Version 2.4 counts the whole extended header.
    if (!syncSafe(body.substr(0, 4), size) || size < 6 || size > body.size()) return body.size();
    return size;
}

// A version 2.3 frame's data for reading: the group byte skipped; compressed and encrypted
// data left as stored.
void readFlags23(TID3Frame& frame, std::string_view content) {
    frame.opaque = (frame.format & (k23Compressed | k23Encrypted)) != 0;
    if (!frame.opaque && (frame.format & k23Grouped) && !content.empty()) content.remove_prefix(1);
    frame.data = std::string(content);
}

bool readFlags24(TID3Frame& frame, std::string_view content, bool tagUnsynchronised) {
    size_t extra = 0;
    if (frame.format & k24Grouped) extra += 1;
    if (frame.format & k24Encrypted) extra += 1;
    if (frame.format & k24DataLength) extra += 4;
    if (extra > content.size()) return false;
    content.remove_prefix(extra);
    frame.opaque = (frame.format & (k24Compressed | k24Encrypted)) != 0;
    if (!frame.opaque && (tagUnsynchronised || (frame.format & k24Unsynchronised)))
        frame.data = resynchronise(content);
    else
        frame.data = std::string(content);
    return true;
}

// Reads frames from position on. True when the list ended cleanly: at padding or at the
// body's end, not at something that is no frame. resyncFrames: the body of a version 2.3 tag
// is still unsynchronised, and each frame's size counts its stored bytes.
bool walkFrames(TID3Tag& tag, uint8_t flags, std::string_view body, size_t position,
                bool syncSafeSizes, bool resyncFrames = false) {
    const size_t idSize = tag.version == 2 ? 3 : 4;
    const size_t headerSize = tag.version == 2 ? 6 : 10;
    while (position + headerSize <= body.size()) {
        const std::string_view header = body.substr(position, headerSize);
        if (header[0] == '\0') return true;  // padding
        const std::string_view id = header.substr(0, idSize);
        if (!validId(id)) return false;
        const std::string_view sizeBytes = header.substr(idSize, idSize);
        uint32_t size = 0;
        if (!syncSafeSizes)
            size = bigEndian(sizeBytes);
        else if (!syncSafe(sizeBytes, size))
            return false;
        const size_t start = position + headerSize;
        if (size > body.size() - start) return false;
        TID3Frame frame;
        frame.id = std::string(id);
        const std::string_view content = body.substr(start, size);
        if (tag.version == 2) {
            frame.data = std::string(content);
        } else {
            frame.status = static_cast<uint8_t>(header[8]);
            frame.format = static_cast<uint8_t>(header[9]);
            if (tag.version == 3 && resyncFrames) {
                const std::string data = resynchronise(content);
                readFlags23(frame, data);
                frame.stored = frame23(id, data, frame.status, frame.format);
            } else if (tag.version == 3) {
                readFlags23(frame, content);
                frame.stored = std::string(body.substr(position, headerSize + size));
            } else if (!readFlags24(frame, content, flags & kTagUnsynchronised)) {
                return false;
            }
        }
        tag.frames.push_back(std::move(frame));
        position = start + size;
    }
    return true;
}

}  // namespace

std::string resynchronise(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && i + 1 < bytes.size() &&
            bytes[i + 1] == '\0')
            ++i;
    }
    return out;
}

TID3Tag parseTag(uint8_t version, uint8_t flags, std::string_view body) {
    TID3Tag tag;
    tag.version = version;
    if (version < 2 || version > 4) return tag;
    if (version == 2 && (flags & kTagExtendedHeader)) {
        tag.compressed = true;
        return tag;
    }
    if (version < 4 && (flags & kTagUnsynchronised)) {
        // Before version 2.4 unsynchronisation covers the whole tag, extended header
        // included, and frame sizes count the bytes before it.
        const std::string whole = resynchronise(body);
        if (walkFrames(tag, flags, whole, framesStart(version, flags, whole), false) ||
            version == 2)
            return tag;
        // Some writers count a 2.3 frame's stored bytes instead; when the list only ends
        // cleanly read so, it was written so.
        TID3Tag perFrame;
        perFrame.version = version;
        return walkFrames(perFrame, flags, body, framesStart(version, flags, body), false, true)
                   ? perFrame
                   : tag;
    }
    const size_t start = framesStart(version, flags, body);
    if (version != 4) {
        walkFrames(tag, flags, body, start, false);
        return tag;
    }
    // Some writers put plain 32-bit sizes into version 2.4 frames. When the list does not end
    // cleanly with seven-bit sizes but does with plain ones, the plain ones are meant.
    if (walkFrames(tag, flags, body, start, true)) return tag;
    TID3Tag plain;
    plain.version = version;
    return walkFrames(plain, flags, body, start, false) ? plain : tag;
}
