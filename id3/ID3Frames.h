// The byte layout of an ID3v2 tag: the 10-byte tag header, the frames, and the contents of
// the seven frames the tag object knows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

constexpr int kTagHeaderSize = 10;
constexpr int kFrameHeaderSize = 10;
// The largest tag body the header's four 7-bit size bytes can state.
constexpr uint32_t kMaxTagBody = 0x0FFFFFFF;

using TID3Header = std::array<uint8_t, kTagHeaderSize>;

// The seven fields; the order in which frames for fields new to a tag are written.
enum TID3Slot { slTitle, slArtist, slAlbum, slTrack, slYear, slGenre, slComment, slCount };
constexpr std::array<const char*, slCount> kFrameIds = {"TIT2", "TPE1", "TALB", "TRCK",
                                                        "TYER", "TCON", "COMM"};

bool startsWithId3(const TID3Header& header);
// Total tag size the header states, its 10 bytes included (and the 10 of a version 2.4
// footer), or 0 when that is more than the
// file's length. The size bytes are taken whole, without masking their top bits.
int32_t GetTagSize(const TID3Header& header, int64_t fileLength);

// The track number of a TRCK text: the whole number before any "/", 0 when there is none or
// when it lies outside 0 to 255.
uint8_t ExtractTrack(std::string_view text);
// The genre of a TCON text without the leading numeric references such as "(17)", and with
// the doubled "((" that escapes a genre starting with "(" undone.
std::string ExtractGenre(std::string_view text);

// Where the string after a zero-terminated one starts, or npos when the terminator is
// missing. Wide encodings end a string with two zero bytes on a character boundary.
size_t afterTerminator(std::string_view bytes, uint8_t encoding);

// A text frame's content (encoding byte first) as the trimmed text up to the first zero
// character.
std::string decodeTextFrame(std::string_view content);
// A COMM frame's comment: the text after the language and the short description.
std::string decodeCommentFrame(std::string_view content);
// A COMM frame's language (three bytes as stored) and short description.
struct TCommentHead {
    std::string language;
    std::string description;
};
TCommentHead decodeCommentHead(std::string_view content);

// The content of a text frame, and of a COMM frame, by default with language "eng" and an
// empty short description. Empty when the text is empty: no frame is written for it.
std::string encodeTextFrame(std::string_view utf8);
std::string encodeCommentFrame(std::string_view utf8, std::string_view language = "eng",
                               std::string_view description = "");

// A whole version 2.3 frame: identifier, size, the two flag bytes and the content.
std::string frame23(std::string_view id, std::string_view content, uint8_t status = 0,
                    uint8_t format = 0);

// A version 2.3 tag: the header, then the whole frames in the order given, then padding zero
// bytes. Empty when they do not fit the header's size field.
std::optional<std::vector<uint8_t>> BuildTag(const std::vector<std::string>& frames,
                                             size_t padding = 0);
