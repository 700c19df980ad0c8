#include "ID3Frames.h"

#include <charconv>

#include "ID3Text.h"

namespace {

// The visible text of a decoded frame: trimmed, and cut at a zero character, which ends a
// string in ID3v2 (what follows it is not shown as part of the text).
std::string visibleText(std::string_view decoded) {
    std::string text = trimText(decoded);
    const size_t zero = text.find('\0');
    if (zero != std::string::npos) text = trimTrailing(std::string_view(text).substr(0, zero));
    return text;
}

bool isWideEncoding(uint8_t encoding) {
    return encoding == encUtf16 || encoding == encUtf16BE;
}

bool bigEndianMark(std::string_view bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
           static_cast<unsigned char>(bytes[1]) == 0xFF;
}

void putBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

}  // namespace

size_t afterTerminator(std::string_view bytes, uint8_t encoding) {
    if (!isWideEncoding(encoding)) {
        const size_t zero = bytes.find('\0');
        return zero == std::string_view::npos ? zero : zero + 1;
    }
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        if (bytes[i] == '\0' && bytes[i + 1] == '\0') return i + 2;
    return std::string_view::npos;
}

bool startsWithId3(const TID3Header& header) {
    return header[0] == 'I' && header[1] == 'D' && header[2] == '3';
}

int32_t GetTagSize(const TID3Header& header, int64_t fileLength) {
    // A sum, not a bitwise or: size bytes with their top bit set overlap their neighbours.
    const int64_t size = int64_t{header[6]} * (1 << 21) + int64_t{header[7]} * (1 << 14) +
                         int64_t{header[8]} * (1 << 7) + int64_t{header[9]};
    const bool footer = header[3] == 4 && (header[5] & 0x10);
    const int64_t total = size + kTagHeaderSize + (footer ? kTagHeaderSize : 0);
    return total > fileLength ? 0 : static_cast<int32_t>(total);
}

uint8_t ExtractTrack(std::string_view text) {
    std::string number = trimText(text);
    number = trimText(number.substr(0, number.find('/')));
    const char* first = number.data();
    const char* last = first + number.size();
    if (first != last && *first == '+') ++first;
    long value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last) return 0;
    // The field holds 0 to 255; a number outside cannot be kept, so it counts as none.
    return value < 0 || value > 255 ? 0 : static_cast<uint8_t>(value);
}

std::string ExtractGenre(std::string_view text) {
    std::string genre = trimText(text);
    // Leading references to the numbered genre list, "(17)" or "(17)(52)", are dropped;
    // parentheses elsewhere belong to the free-text genre.
    for (;;) {
        size_t digits = 1;
        while (digits < genre.size() && genre[digits] >= '0' && genre[digits] <= '9')
            ++digits;
        if (genre.empty() || genre[0] != '(' || digits == 1 || digits >= genre.size() ||
            genre[digits] != ')')
            break;
        genre = trimText(std::string_view(genre).substr(digits + 1));
    }
    // A free-text genre that itself starts with "(" is stored with the parenthesis doubled.
    if (genre.size() > 1 && genre[0] == '(' && genre[1] == '(') genre.erase(0, 1);
    return genre;
}

std::string decodeTextFrame(std::string_view content) {
    if (content.empty()) return {};
    const auto encoding = static_cast<uint8_t>(content[0]);
    return visibleText(decodeId3Text(encoding, content.substr(1)));
}

std::string decodeCommentFrame(std::string_view content) {
    if (content.size() < 4) return {};
    const auto encoding = static_cast<uint8_t>(content[0]);
    std::string_view rest = content.substr(4);  // after the encoding byte and the language
    const size_t start = afterTerminator(rest, encoding);
    // Without a terminator there is no short description: everything is the comment.
    const std::string_view text = start == std::string_view::npos ? rest : rest.substr(start);
    return visibleText(decodeId3Text(encoding, text, bigEndianMark(rest)));
}

TCommentHead decodeCommentHead(std::string_view content) {
    if (content.size() < 4) return {};
    const auto encoding = static_cast<uint8_t>(content[0]);
    const std::string_view rest = content.substr(4);
    const size_t end = afterTerminator(rest, encoding);
    const std::string_view description =
        end == std::string_view::npos ? std::string_view() : rest.substr(0, end);
    return {std::string(content.substr(1, 3)),
            visibleText(decodeId3Text(encoding, description, bigEndianMark(rest)))};
}

std::string encodeTextFrame(std::string_view utf8) {
    if (utf8.empty()) return {};
    const EncodedText text = encodeId3Text(utf8);
    return static_cast<char>(text.encoding) + text.bytes;
}

std::string encodeCommentFrame(std::string_view utf8, std::string_view language,
                               std::string_view description) {
    if (utf8.empty()) return {};
    // Description and text share one encoding: ISO-8859-1 when both fit it.
    const EncodedText text = encodeId3Text(utf8);
    const EncodedText head = encodeId3Text(description);
    if (text.encoding == encLatin1 && head.encoding == encLatin1)
        return std::string(1, '\0') + std::string(language) + head.bytes + '\0' + text.bytes;
    return std::string(1, encUtf16) + std::string(language) + encodeUtf16(description) +
           std::string(2, '\0') + encodeUtf16(utf8);
}

std::string frame23(std::string_view id, std::string_view content, uint8_t status, uint8_t format) {
    std::vector<uint8_t> size;
    putBigEndian32(size, static_cast<uint32_t>(content.size()));
    std::string out(id);
    out.append(size.begin(), size.end());
    out += static_cast<char>(status);
    out += static_cast<char>(format);
    out += content;
    return out;
}

std::optional<std::vector<uint8_t>> BuildTag(const std::vector<std::string>& frames,
                                             size_t padding) {
    uint64_t body = padding;
    for (const std::string& frame : frames)
        body += frame.size();
    if (body > kMaxTagBody) return std::nullopt;

    std::vector<uint8_t> tag = {'I', 'D', '3', 3, 0, 0};
    for (int shift = 21; shift >= 0; shift -= 7)
        tag.push_back((body >> shift) & 0x7F);
    tag.reserve(kTagHeaderSize + body);
    for (const std::string& frame : frames)
        tag.insert(tag.end(), frame.begin(), frame.end());
    tag.resize(kTagHeaderSize + body, 0);
    return tag;
}
