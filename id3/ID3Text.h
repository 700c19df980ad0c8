// Character sets of ID3v2 text: the four text encodings of a frame and the UTF-8 that the
// tag object's fields hold.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The text-encoding byte that starts a text frame's content.
enum TID3Encoding : uint8_t {
    encLatin1 = 0,   // ISO-8859-1
    encUtf16 = 1,    // UTF-16 with a byte-order mark
    encUtf16BE = 2,  // UTF-16 big-endian without a byte-order mark
    encUtf8 = 3,
};

// Text in the given encoding as UTF-8. Malformed sequences become U+FFFD; an unknown encoding
// is read as ISO-8859-1. UTF-16 without a byte-order mark is taken as big-endian when
// bigEndianDefault is set, else as little-endian.
std::string decodeId3Text(uint8_t encoding, std::string_view bytes, bool bigEndianDefault = false);

// Text as stored in a frame: ISO-8859-1 when every character fits it, otherwise UTF-16 with
// a little-endian byte-order mark. Malformed UTF-8 in the input becomes U+FFFD.
struct EncodedText {
    uint8_t encoding = encLatin1;
    std::string bytes;
};
EncodedText encodeId3Text(std::string_view utf8);
// Text as UTF-16 little-endian with its byte-order mark, whatever characters it holds.
std::string encodeUtf16(std::string_view utf8);

// Removes leading and trailing characters of code 32 or below (blanks, control characters,
// zero bytes); those inside are kept.
std::string trimText(std::string_view text);
// Removes trailing characters of code 32 or below only.
std::string trimTrailing(std::string_view text);
