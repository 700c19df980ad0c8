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

// The known frames; their order is the order of writing and the slot order of reading.
enum TID3Slot { slTitle, slArtist, slAlbum, slTrack, slYear, slGenre, slComment, slCount };
constexpr std::array<const char*, slCount> kFrameIds = {"TIT2", "TPE1", "TALB", "TRCK",
                                                        "TYER", "TCON", "COMM"};

// The slot of a four-character frame identifier, compared exactly; -1 for an unknown frame.
int frameSlot(const uint8_t* id);

bool startsWithId3(const TID3Header& header);
// Total tag size the header states, its 10 bytes included, or 0 when that is more than the
// file's length. The size bytes are taken whole, without masking their top bits.
int32_t GetTagSize(const TID3Header& header, int64_t fileLength);

// The track number of a TRCK text: the whole number before any "/", 0 when there is none or
// when it lies outside 0 to 255.
uint8_t ExtractTrack(std::string_view text);
// The genre of a TCON text without the leading numeric references such as "(17)".
std::string ExtractGenre(std::string_view text);

// A text frame's content (encoding byte first) as the trimmed text up to the first zero
// character.
std::string decodeTextFrame(std::string_view content);
// A COMM frame's comment: the text after the language and the short description.
std::string decodeCommentFrame(std::string_view content);

// The content of a text frame, and of a COMM frame with language "eng" and an empty short
// description. Empty when the text is empty: no frame is written for it.
std::string encodeTextFrame(std::string_view utf8);
std::string encodeCommentFrame(std::string_view utf8);

// A version 2.3 tag: the header, then a frame for every non-empty content, in slot order,
// with no padding. Empty when the frames do not fit the header's size field.
std::optional<std::vector<uint8_t>> BuildTag(const std::array<std::string, slCount>& contents);
