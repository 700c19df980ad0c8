#include "ID3Text.h"

#include <vector>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The code points of UTF-8 text; every byte that does not start a well-formed sequence
// (overlong forms, surrogates and values past U+10FFFF included) yields one U+FFFD.
std::u32string utf8CodePoints(std::string_view text) {
    std::u32string out;
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += lead;
            ++i;
            continue;
        }
        // Sequence length, the lead byte's payload and the least value that needs this length.
        size_t length = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            c = lead & 0x1F;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            c = lead & 0x0F;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            c = lead & 0x07;
            minimum = 0x10000;
        }
        bool valid = length != 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = c << 6 | (next & 0x3F);
        }
        valid = valid && c >= minimum && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
        out += valid ? c : kReplacement;
        i += valid ? length : 1;
    }
    return out;
}

std::string decodeUtf16(std::string_view bytes, bool bigEndian) {
    if (bytes.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(bytes[0]);
        const auto b1 = static_cast<unsigned char>(bytes[1]);
        if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) {
            bigEndian = b0 == 0xFE;
            bytes.remove_prefix(2);
        }
    }
    std::vector<char32_t> units;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(bigEndian ? char32_t(a << 8 | b) : char32_t(b << 8 | a));
    }
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        const char32_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else {
            appendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? kReplacement : unit);
        }
    }
    return out;
}

void appendUtf16LE(std::string& out, char32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

bool isBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

}  // namespace

std::string decodeId3Text(uint8_t encoding, std::string_view bytes, bool bigEndianDefault) {
    std::string out;
    switch (encoding) {
        case encUtf16:
            return decodeUtf16(bytes, bigEndianDefault);
        case encUtf16BE:
            return decodeUtf16(bytes, true);
        case encUtf8:
            for (char32_t c : utf8CodePoints(bytes))
                appendUtf8(out, c);
            return out;
        default:
            for (char c : bytes)
                appendUtf8(out, static_cast<unsigned char>(c));
            return out;
    }
}

EncodedText encodeId3Text(std::string_view utf8) {
    const std::u32string codePoints = utf8CodePoints(utf8);
    EncodedText result;
    bool latin1 = true;
    for (char32_t c : codePoints)
        latin1 = latin1 && c <= 0xFF;
    if (latin1) {
        for (char32_t c : codePoints)
            result.bytes += static_cast<char>(c);
        return result;
    }
    result.encoding = encUtf16;
    result.bytes = encodeUtf16(utf8);
    return result;
}

std::string encodeUtf16(std::string_view utf8) {
    std::string out = "\xFF\xFE";
    for (char32_t c : utf8CodePoints(utf8)) {
        if (c < 0x10000) {
            appendUtf16LE(out, c);
        } else {
            appendUtf16LE(out, 0xD800 + ((c - 0x10000) >> 10));
            appendUtf16LE(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string trimText(std::string_view text) {
    while (!text.empty() && isBlankOrControl(text.front()))
        text.remove_prefix(1);
    return trimTrailing(text);
}

std::string trimTrailing(std::string_view text) {
    while (!text.empty() && isBlankOrControl(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}
