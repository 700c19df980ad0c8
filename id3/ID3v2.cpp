#include "ID3v2.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <vector>

#include "FileReplace.h"
#include "ID3Frames.h"
#include "ID3Text.h"

namespace {

// Contents past this size are cut: the fields are short texts, and a damaged size field must
// not make the reader hold a large part of the file.
constexpr uint32_t kMaxFrameContent = 1 << 20;

using TFrameContents = std::array<std::string, slCount>;

uint32_t bigEndian32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

// The contents of the known frames of a version 2.3 tag, one per slot, empty for a frame not
// met; a frame that occurs again replaces the earlier one. The list ends at padding or
// garbage (an identifier not starting with "A" to "Z"), at a frame that does not fit inside
// the tag, or at a read error; frames read before are kept.
TFrameContents ReadFrames(int fd, int32_t tagSize) {
    TFrameContents contents;
    int64_t position = kTagHeaderSize;
    while (position + kFrameHeaderSize <= tagSize) {
        uint8_t header[kFrameHeaderSize];
        if (readAt(fd, header, sizeof header, position) != kFrameHeaderSize) break;
        if (header[0] < 'A' || header[0] > 'Z') break;
        const int64_t start = position + kFrameHeaderSize;
        const uint32_t size = bigEndian32(header + 4);
        if (size > tagSize - start) break;
        const int slot = frameSlot(header);
        if (slot >= 0) {
            std::string content(std::min(size, kMaxFrameContent), '\0');
            if (readAt(fd, content.data(), content.size(), start) !=
                static_cast<ssize_t>(content.size()))
                break;
            contents[slot] = std::move(content);
        }
        position = start + size;
    }
    return contents;
}

// Gives the file newTag (none: removal) in place of its leading tag, keeping everything after
// the old tag, a trailer tag included.
bool RebuildFile(const std::string& fileName, const std::vector<uint8_t>* newTag) {
    std::error_code error;
    // Through a symbolic link the file it leads to is rewritten, and the link stays a link.
    const std::string path = std::filesystem::canonical(fileName, error).string();
    if (error) return false;
    struct stat info {};
    UniqueFd in = openRegularFile(path, info);
    if (!in || !mayModify(path, info)) return false;
    TID3Header header{};
    if (readAt(in.get(), header.data(), header.size(), 0) != kTagHeaderSize) return false;
    // A tag that claims more bytes than the file has gives 0: nothing is skipped, so a new tag
    // goes in front of the whole old file.
    const int32_t oldTagSize = startsWithId3(header) ? GetTagSize(header, info.st_size) : 0;
    // A removal needs a tag of known extent; copying the whole file would remove nothing.
    if (newTag == nullptr && oldTagSize == 0) return false;
    return replaceFile(path, info, [&](int out) {
        return (newTag == nullptr || writeAll(out, newTag->data(), newTag->size())) &&
               copyToEnd(in.get(), oldTagSize, out);
    });
}

}  // namespace

void TID3v2::ResetData() {
    *this = TID3v2();
}

bool TID3v2::ReadFromFile(const std::string& fileName) {
    ResetData();
    try {
        struct stat info {};
        UniqueFd fd = openRegularFile(fileName, info);
        TID3Header header{};
        if (!fd || readAt(fd.get(), header.data(), header.size(), 0) != kTagHeaderSize)
            return false;
        if (!startsWithId3(header)) return true;
        m_exists = true;
        m_versionID = header[3];
        m_size = GetTagSize(header, info.st_size);
        if (m_versionID != 3 || m_size == 0) return true;

        const TFrameContents contents = ReadFrames(fd.get(), m_size);
        m_title = decodeTextFrame(contents[slTitle]);
        m_artist = decodeTextFrame(contents[slArtist]);
        m_album = decodeTextFrame(contents[slAlbum]);
        m_track = ExtractTrack(decodeTextFrame(contents[slTrack]));
        m_year = decodeTextFrame(contents[slYear]);
        m_genre = ExtractGenre(decodeTextFrame(contents[slGenre]));
        m_comment = decodeCommentFrame(contents[slComment]);
        return true;
    } catch (...) {  // out of memory
        ResetData();
        return false;
    }
}

bool TID3v2::SaveToFile(const std::string& fileName) const {
    try {
        const TFrameContents contents = {
            encodeTextFrame(m_title),
            encodeTextFrame(m_artist),
            encodeTextFrame(m_album),
            m_track != 0 ? encodeTextFrame(std::to_string(m_track)) : std::string(),
            encodeTextFrame(m_year),
            encodeTextFrame(m_genre),
            encodeCommentFrame(m_comment),
        };
        const auto tag = BuildTag(contents);
        return tag && RebuildFile(fileName, &*tag);
    } catch (...) {
        return false;
    }
}

bool TID3v2::RemoveFromFile(const std::string& fileName) const {
    try {
        return RebuildFile(fileName, nullptr);
    } catch (...) {
        return false;
    }
}

void TID3v2::SetTitle(const std::string& value) {
    m_title = trimTrailing(value);
}
void TID3v2::SetArtist(const std::string& value) {
    m_artist = trimTrailing(value);
}
void TID3v2::SetAlbum(const std::string& value) {
    m_album = trimTrailing(value);
}
void TID3v2::SetYear(const std::string& value) {
    m_year = trimTrailing(value);
}
void TID3v2::SetGenre(const std::string& value) {
    m_genre = trimTrailing(value);
}
void TID3v2::SetComment(const std::string& value) {
    m_comment = trimTrailing(value);
}
