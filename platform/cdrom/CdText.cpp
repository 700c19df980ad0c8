#include "CdText.h"

#include <cdio/cdio.h>
#include <cdio/cdtext.h>

#include <algorithm>

#include "Utf8Sequence.h"

namespace quillon::cdrom {

namespace {

bool validUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = utf8SequenceLength(text, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

std::string latin1ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

// Sheets and discs often hold UTF-8 under a Latin-1 label, and libcdio then turns each byte
// into a character of its own. When every character is below U+0100 and their bytes make UTF-8
// with at least one character of several bytes, that is what happened: a Latin-1 text that
// reads so is next to impossible ("Ã" followed by a symbol).
std::optional<std::string> bytesReadAsLatin1(std::string_view utf8) {
    std::string bytes;
    bool high = false;
    for (std::size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        if (lead < 0x80) {
            bytes += utf8[at++];
            continue;
        }
        if ((lead != 0xC2 && lead != 0xC3) || utf8SequenceLength(utf8, at) != 2)
            return std::nullopt;
        bytes += static_cast<char>(((lead & 0x03) << 6) |
                                   (static_cast<unsigned char>(utf8[at + 1]) & 0x3F));
        high = true;
        at += 2;
    }
    if (!high || !validUtf8(bytes)) return std::nullopt;
    return bytes;
}

std::string field(const cdtext_t* text, cdtext_field_t key, track_t track) {
    const char* value = cdtext_get_const(text, key, track);
    return value != nullptr ? cleanCdText(value) : std::string();
}

}  // namespace

bool DiscText::empty() const {
    if (!title.empty() || !performer.empty()) return false;
    for (const Track& track : tracks)
        if (!track.title.empty() || !track.performer.empty()) return false;
    return true;
}

std::string cleanCdText(std::string_view text) {
    std::string utf8 = validUtf8(text) ? std::string(text) : latin1ToUtf8(text);
    if (auto repaired = bytesReadAsLatin1(utf8)) utf8 = std::move(*repaired);
    std::string out;
    out.reserve(std::min(utf8.size(), kMaxCdTextBytes));
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = utf8SequenceLength(utf8, at);  // never 0: utf8 is valid
        const auto lead = static_cast<unsigned char>(utf8[at]);
        // C0 and C1 controls (U+0080 to U+009F are C2 80 to C2 9F) become blanks.
        const bool control =
            lead < 0x20 || lead == 0x7F ||
            (length == 2 && lead == 0xC2 && static_cast<unsigned char>(utf8[at + 1]) < 0xA0);
        if (out.size() + (control ? 1 : length) > kMaxCdTextBytes) break;
        if (control)
            out += ' ';
        else
            out.append(utf8, at, length);
        at += length;
    }
    const auto first = out.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

std::optional<DiscText> discTextOf(const cdtext_t* text, const DiscLayout& layout) {
    if (text == nullptr) return std::nullopt;
    DiscText disc;
    disc.title = field(text, CDTEXT_FIELD_TITLE, 0);
    disc.performer = field(text, CDTEXT_FIELD_PERFORMER, 0);
    disc.songwriter = field(text, CDTEXT_FIELD_SONGWRITER, 0);
    disc.genre = field(text, CDTEXT_FIELD_GENRE, 0);
    if (disc.genre.empty()) {
        const cdtext_genre_t code = cdtext_get_genre(text);
        if (code != CDTEXT_GENRE_UNUSED && code != CDTEXT_GENRE_UNDEFINED) {
            if (const char* name = cdtext_genre2str(code)) disc.genre = cleanCdText(name);
        }
    }
    for (int position = 0; position < layout.trackCount(); ++position) {
        const auto track = static_cast<track_t>(layout.firstTrack + position);
        disc.tracks.push_back({field(text, CDTEXT_FIELD_TITLE, track),
                               field(text, CDTEXT_FIELD_PERFORMER, track),
                               field(text, CDTEXT_FIELD_SONGWRITER, track)});
    }
    if (disc.empty()) return std::nullopt;
    return disc;
}

std::optional<DiscText> readDiscText(CdIo_t* cdio, const DiscLayout& layout) {
    if (cdio == nullptr) return std::nullopt;
    // Owned by the handle: freed with it.
    return discTextOf(cdio_get_cdtext(cdio), layout);
}

}  // namespace quillon::cdrom
