#include "ID3v2.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "FileReplace.h"
#include "ID3Convert.h"
#include "ID3Frames.h"
#include "ID3Tag.h"
#include "ID3Text.h"

namespace {

// The tag at the start of the open file, when it has one whose extent is known.
TID3Tag readTag(int fd, const TID3Header& header, int32_t tagSize) {
    if (!startsWithId3(header) || tagSize == 0) return {};
    const uint8_t version = header[3];
    const uint8_t flags = header[5];
    const int footer = version == 4 && (flags & kTagFooter) ? kTagHeaderSize : 0;
    std::string body(static_cast<size_t>(std::max(0, tagSize - kTagHeaderSize - footer)), '\0');
    const ssize_t got = readAt(fd, body.data(), body.size(), kTagHeaderSize);
    if (got < 0) return {};
    body.resize(static_cast<size_t>(got));
    return parseTag(version, flags, body);
}

// Gives the file the tag that makeTag builds from the file's old one (none: removal), in
// place of its leading tag, keeping everything after the old tag, a trailer tag included.
bool RebuildFile(
    const std::string& fileName,
    const std::function<std::optional<std::vector<uint8_t>>(const TID3Tag&)>& makeTag) {
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
    std::optional<std::vector<uint8_t>> newTag;
    if (makeTag) {
        newTag = makeTag(readTag(in.get(), header, oldTagSize));
        if (!newTag) return false;
    }
    // A removal needs a tag of known extent; copying the whole file would remove nothing.
    if (!newTag && oldTagSize == 0) return false;
    return replaceFile(path, info, [&](int out) {
        return (!newTag || writeAll(out, newTag->data(), newTag->size())) &&
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
        m_fields = readFields(readTag(fd.get(), header, m_size)).fields;
        return true;
    } catch (...) {  // out of memory
        ResetData();
        return false;
    }
}

bool TID3v2::SaveToFile(const std::string& fileName, std::vector<std::string>* unkept) const {
    if (unkept) unkept->clear();
    try {
        return RebuildFile(fileName,
                           [&](const TID3Tag& old) -> std::optional<std::vector<uint8_t>> {
                               TID3Rewrite rewrite = rewriteFrames(old, m_fields);
                               if (!rewrite.unkept.empty()) {
                                   if (unkept) *unkept = std::move(rewrite.unkept);
                                   return std::nullopt;
                               }
                               return BuildTag(rewrite.frames);
                           });
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
    m_fields.title = trimTrailing(value);
}
void TID3v2::SetArtist(const std::string& value) {
    m_fields.artist = trimTrailing(value);
}
void TID3v2::SetAlbum(const std::string& value) {
    m_fields.album = trimTrailing(value);
}
void TID3v2::SetYear(const std::string& value) {
    m_fields.year = trimTrailing(value);
}
void TID3v2::SetGenre(const std::string& value) {
    m_fields.genre = trimTrailing(value);
}
void TID3v2::SetComment(const std::string& value) {
    m_fields.comment = trimTrailing(value);
}

std::string describeUnkept(const std::vector<std::string>& unkept) {
    std::string list;
    for (const std::string& id : unkept)
        list += (list.empty() ? "" : ", ") + id;
    return "The file was left as it was: these frames of its tag would be lost or changed "
           "in a version 2.3 tag: " +
           list + ".";
}
