#include "ID3Convert.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "ID3Text.h"

using namespace std::string_view_literals;

namespace {

constexpr std::array<std::array<const char*, slCount>, 3> kFieldIds = {{
    {"TT2", "TP1", "TAL", "TRK", "TYE", "TCO", "COM"},
    {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM"},
    {"TIT2", "TPE1", "TALB", "TRCK", "TDRC", "TCON", "COMM"},
}};

// Version 2.2 identifiers and the version 2.3 ones that mean the same, with content of the
// same layout. (PIC is turned into APIC below; CRM and LNK have no 2.3 form.)
constexpr std::pair<const char*, const char*> kIds22[] = {
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"},
    {"EQU", "EQUA"}, {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"MCI", "MCDI"}, {"MLL", "MLLT"},
    {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"},
    {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"},
    {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TIM", "TIME"},
    {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"}, {"TOA", "TOPE"},
    {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"}, {"TP1", "TPE1"},
    {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"},
    {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"},
    {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"},
    {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"},
    {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"}, {"WXX", "WXXX"},
};

// The frames of version 2.3 whose layout version 2.4 kept (text encodings aside). LINK is
// left out: 2.4 changed its layout.
const std::set<std::string_view> kIds23 = {
    "AENC", "APIC", "COMM", "COMR", "ENCR", "EQUA", "ETCO", "GEOB", "GRID", "IPLS", "MCDI",
    "MLLT", "OWNE", "PRIV", "PCNT", "POPM", "POSS", "RBUF", "RVAD", "RVRB", "SYLT", "SYTC",
    "TALB", "TBPM", "TCOM", "TCON", "TCOP", "TDAT", "TDLY", "TENC", "TEXT", "TFLT", "TIME",
    "TIT1", "TIT2", "TIT3", "TKEY", "TLAN", "TLEN", "TMED", "TOAL", "TOFN", "TOLY", "TOPE",
    "TORY", "TOWN", "TPE1", "TPE2", "TPE3", "TPE4", "TPOS", "TPUB", "TRCK", "TRDA", "TRSN",
    "TRSO", "TSIZ", "TSRC", "TSSE", "TXXX", "TYER", "UFID", "USER", "USLT", "WCOM", "WCOP",
    "WOAF", "WOAR", "WOAS", "WORS", "WPAY", "WPUB", "WXXX",
};

// Text frames whose values version 2.3 separates with "/".
const std::set<std::string_view> kSlashLists = {"TPE1", "TPE2", "TPE3", "TPE4",
                                                "TCOM", "TEXT", "TOLY", "TOPE"};

// Frames with an encoding byte whose layout is not turned into 2.3 form here; they are kept
// only when their text is already in an encoding that 2.3 knows.
const std::set<std::string_view> kOtherEncoded = {"GEOB", "USER", "SYLT", "COMR", "OWNE"};

constexpr uint8_t kStatusMask24 = 0x70;

bool isDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The next zero-terminated string of the encoding, taken off the front of bytes (all of it
// when there is no terminator).
std::string_view takeString(std::string_view& bytes, uint8_t encoding) {
    const size_t end = afterTerminator(bytes, encoding);
    if (end == std::string_view::npos) {
        const std::string_view all = bytes;
        bytes = {};
        return all;
    }
    const size_t terminator = encoding == encUtf16 || encoding == encUtf16BE ? 2 : 1;
    const std::string_view text = bytes.substr(0, end - terminator);
    bytes.remove_prefix(end);
    return text;
}

// All strings of the encoding in bytes, as UTF-8; a terminator at the very end starts no
// further string.
std::vector<std::string> decodeStrings(std::string_view bytes, uint8_t encoding) {
    std::vector<std::string> out;
    while (!bytes.empty())
        out.push_back(decodeId3Text(encoding, takeString(bytes, encoding)));
    return out;
}

// Strings in one encoding that version 2.3 knows: ISO-8859-1 when all fit it, else UTF-16
// with a byte-order mark each. The encoding byte leads; every string but the last is
// terminated, and the last too when terminateLast is set.
std::string encodeStrings(const std::vector<std::string>& texts, bool terminateLast) {
    const bool latin1 = std::all_of(texts.begin(), texts.end(), [](const std::string& text) {
        return encodeId3Text(text).encoding == encLatin1;
    });
    std::string out(1, static_cast<char>(latin1 ? encLatin1 : encUtf16));
    for (size_t i = 0; i < texts.size(); ++i) {
        out += latin1 ? encodeId3Text(texts[i]).bytes : encodeUtf16(texts[i]);
        if (i + 1 < texts.size() || terminateLast) out += latin1 ? "\0"sv : "\0\0"sv;
    }
    return out;
}

bool genreReference(std::string_view value) {
    return isDigits(value) || value == "RX" || value == "CR";
}

// A genre list of version 2.4 (numbers of the genre list, "RX", "CR" or free text) in the
// version 2.3 form "(17)(RX)Free text"; nothing when two free texts would have to be joined.
std::optional<std::string> genre23(const std::vector<std::string>& values) {
    std::string references;
    std::optional<std::string> text;
    for (const std::string& value : values) {
        if (genreReference(value)) {
            references += "(" + value + ")";
        } else if (!value.empty()) {
            if (text) return std::nullopt;
            text = value;
        }
    }
    return references + text.value_or("");
}

// The one value that version 2.3 gives a list of 2.4 text values: joined where 2.3 has a
// way to, nothing where it has none.
std::optional<std::string> joinedText(std::string_view id, const std::vector<std::string>& values) {
    if (id == "TCON") return genre23(values);
    if (values.size() <= 1) return values.empty() ? std::string() : values[0];
    if (!kSlashLists.contains(id)) return std::nullopt;
    std::string joined;
    for (const std::string& value : values)
        joined += (joined.empty() ? "" : "/") + value;
    return joined;
}

// A text frame's content in 2.3 form, in an encoding 2.3 knows; with lists (version 2.4)
// its values are joined and bare genre numbers put in parentheses.
std::optional<std::string> text23(std::string_view id, std::string_view content, bool lists) {
    const auto encoding = static_cast<uint8_t>(content[0]);
    if (!lists) {
        if (encoding <= encUtf16) return std::string(content);
        return encodeStrings({decodeId3Text(encoding, content.substr(1))}, false);
    }
    const std::vector<std::string> values = decodeStrings(content.substr(1), encoding);
    const bool references =
        id == "TCON" && std::any_of(values.begin(), values.end(),
                                    [](const std::string& value) { return genreReference(value); });
    if (encoding <= encUtf16 && values.size() <= 1 && !references) return std::string(content);
    const auto joined = joinedText(id, values);
    if (!joined) return std::nullopt;
    return encodeStrings({*joined}, false);
}

// The content of a frame whose text is in an encoding 2.3 lacks (UTF-8, UTF-16 big-endian
// without a byte-order mark), re-encoded; the content itself when no change is needed.
std::optional<std::string> content23(std::string_view id, std::string_view content, bool lists) {
    if (content.empty()) return std::string();
    const bool textFrame = id[0] == 'T' && id != "TXXX";
    if (textFrame || id == "IPLS") {
        if (id == "IPLS") {
            const auto encoding = static_cast<uint8_t>(content[0]);
            if (encoding <= encUtf16) return std::string(content);
            return encodeStrings(decodeStrings(content.substr(1), encoding), false);
        }
        return text23(id, content, lists);
    }
    const auto encoding = static_cast<uint8_t>(content[0]);
    const bool hasEncoding = id == "TXXX" || id == "WXXX" || id == "COMM" || id == "USLT" ||
                             id == "APIC" || kOtherEncoded.contains(id);
    if (!hasEncoding || encoding <= encUtf16) return std::string(content);
    if (encoding > encUtf8 || kOtherEncoded.contains(id)) return std::nullopt;
    std::string_view rest = content.substr(1);
    if (id == "TXXX") {
        const std::vector<std::string> values = decodeStrings(rest, encoding);
        if (values.size() > 2) return std::nullopt;
        return encodeStrings({values.empty() ? "" : values[0], values.size() > 1 ? values[1] : ""},
                             false);
    }
    if (id == "COMM" || id == "USLT") {
        if (rest.size() < 3) return std::nullopt;
        const std::string language(rest.substr(0, 3));
        rest.remove_prefix(3);
        // Without a terminator there is no description: everything is the text.
        const std::string description = afterTerminator(rest, encoding) == std::string_view::npos
                                            ? std::string()
                                            : decodeId3Text(encoding, takeString(rest, encoding));
        // The text runs to the end of the frame, terminators and all, as readers take it.
        const std::string text = decodeId3Text(encoding, rest);
        const std::string both = encodeStrings({description, text}, false);
        return both.substr(0, 1) + language + both.substr(1);
    }
    if (id == "WXXX") {
        const std::string description = decodeId3Text(encoding, takeString(rest, encoding));
        return encodeStrings({description}, true) + std::string(rest);
    }
    // APIC: MIME type, picture type, description, picture.
    const size_t mimeEnd = rest.find('\0');
    if (mimeEnd == std::string_view::npos || mimeEnd + 1 >= rest.size()) return std::nullopt;
    const std::string mime(rest.substr(0, mimeEnd + 2));  // terminator and picture type
    rest.remove_prefix(mimeEnd + 2);
    const std::string description = decodeId3Text(encoding, takeString(rest, encoding));
    const std::string encoded = encodeStrings({description}, true);
    return encoded.substr(0, 1) + mime + encoded.substr(1) + std::string(rest);
}

// Version 2.2's PIC as APIC: the three-letter image format becomes a MIME type.
std::optional<std::string> picture23(std::string_view data) {
    if (data.size() < 5) return std::nullopt;
    std::string format(data.substr(1, 3));
    std::string mime;
    if (format == "-->") {
        mime = format;  // a link to the picture
    } else {
        std::transform(format.begin(), format.end(), format.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
        mime = "image/" + (format == "jpg" ? std::string("jpeg") : format);
    }
    return content23(
        "APIC", std::string(data.substr(0, 1)) + mime + '\0' + std::string(data.substr(4)), false);
}

// A 2.4 time stamp as year, date and time frames; nothing when it holds what they cannot
// (a month without its day, seconds).
std::optional<std::vector<std::string>> recordingTime23(std::string_view content, uint8_t status) {
    if (content.empty()) return std::vector<std::string>();
    const auto encoding = static_cast<uint8_t>(content[0]);
    const std::vector<std::string> values = decodeStrings(content.substr(1), encoding);
    if (values.size() > 1) return std::nullopt;
    const std::string stamp = values.empty() ? "" : trimText(values[0]);
    if (stamp.empty()) return std::vector<std::string>();
    const auto digitsAt = [&](size_t at, size_t count) {
        return at + count <= stamp.size() && isDigits(std::string_view(stamp).substr(at, count));
    };
    const bool year = stamp.size() >= 4 && digitsAt(0, 4);
    const bool date = stamp.size() >= 10 && stamp[4] == '-' && digitsAt(5, 2) && stamp[7] == '-' &&
                      digitsAt(8, 2);
    const bool time = stamp.size() == 16 && stamp[10] == 'T' && digitsAt(11, 2) &&
                      stamp[13] == ':' && digitsAt(14, 2);
    if (!year || !(stamp.size() == 4 || (date && stamp.size() == 10) || (date && time)))
        return std::nullopt;
    std::vector<std::string> frames = {frame23("TYER", '\0' + stamp.substr(0, 4), status)};
    if (date)
        frames.push_back(frame23("TDAT", '\0' + stamp.substr(8, 2) + stamp.substr(5, 2), status));
    if (time)
        frames.push_back(frame23("TIME", '\0' + stamp.substr(11, 2) + stamp.substr(14, 2), status));
    return frames;
}

std::optional<std::vector<std::string>> one(std::string_view id,
                                            const std::optional<std::string>& content,
                                            uint8_t status = 0) {
    if (!content) return std::nullopt;
    return std::vector<std::string>{frame23(id, *content, status)};
}

std::string trackText(uint8_t track, const TID3Frame* old) {
    std::string text = std::to_string(track);
    if (old == nullptr || old->opaque || old->data.empty()) return text;
    const auto encoding = static_cast<uint8_t>(old->data[0]);
    const std::vector<std::string> values = decodeStrings(old->data.substr(1), encoding);
    if (values.empty()) return text;
    const size_t slash = values[0].find('/');
    if (slash == std::string::npos) return text;
    const std::string total = trimText(std::string_view(values[0]).substr(slash + 1));
    return total.empty() ? text : text + "/" + total;
}

// The frames that stand for a changed field; none when its new value is empty.
std::vector<std::string> replacement(int slot, const TID3Fields& wanted, const TID3Tag& tag,
                                     const TID3Frame* old) {
    const char* id = kFrameIds[slot];
    switch (slot) {
        case slTrack:
            if (wanted.track == 0) return {};
            return {frame23(id, encodeTextFrame(trackText(wanted.track, old)))};
        case slYear: {
            if (wanted.year.empty()) return {};
            const std::string year = frame23(id, encodeTextFrame(wanted.year));
            if (old == nullptr || tag.version != 4 || old->id != "TDRC") return {year};
            // The date and time of a recording time stay with the new year.
            auto frames = toVersion23(*old, tag.version);
            if (!frames || frames->empty()) return {year};
            (*frames)[0] = year;
            return *frames;
        }
        case slComment: {
            if (wanted.comment.empty()) return {};
            const TCommentHead head = old != nullptr && !old->opaque ? decodeCommentHead(old->data)
                                                                     : TCommentHead{"eng", ""};
            return {
                frame23(id, encodeCommentFrame(wanted.comment,
                                               head.language.size() == 3 ? head.language : "eng",
                                               head.description))};
        }
        default: {
            const std::string& text = slot == slTitle    ? wanted.title
                                      : slot == slArtist ? wanted.artist
                                      : slot == slAlbum  ? wanted.album
                                                         : wanted.genre;
            if (text.empty()) return {};
            return {frame23(id, encodeTextFrame(text))};
        }
    }
}

bool changed(int slot, const TID3Fields& a, const TID3Fields& b) {
    switch (slot) {
        case slTitle:
            return a.title != b.title;
        case slArtist:
            return a.artist != b.artist;
        case slAlbum:
            return a.album != b.album;
        case slTrack:
            return a.track != b.track;
        case slYear:
            return a.year != b.year;
        case slGenre:
            return a.genre != b.genre;
        default:
            return a.comment != b.comment;
    }
}

}  // namespace

TID3Reading readFields(const TID3Tag& tag) {
    TID3Reading reading;
    reading.source.fill(-1);
    if (tag.version < 2 || tag.version > 4) return reading;
    const auto& ids = kFieldIds[tag.version - 2];
    int describedComment = -1;
    for (int i = 0; i < static_cast<int>(tag.frames.size()); ++i) {
        const TID3Frame& frame = tag.frames[i];
        for (int slot = 0; slot < slComment; ++slot)
            if (frame.id == ids[slot]) reading.source[slot] = i;
        // Some 2.4 tags hold a 2.3 year as well; the later of the two counts, as it does
        // once both are year frames of a 2.3 tag.
        if (tag.version == 4 && frame.id == "TYER") reading.source[slYear] = i;
        if (frame.id == ids[slComment] && !frame.opaque) {
            const std::string description = decodeCommentHead(frame.data).description;
            if (description.empty())
                reading.source[slComment] = i;
            else if (description.rfind("iTun", 0) != 0)  // a player's data, not a comment
                describedComment = i;
        }
    }
    if (reading.source[slComment] < 0) reading.source[slComment] = describedComment;

    const auto content = [&](int slot) -> std::string_view {
        const int i = reading.source[slot];
        return i < 0 || tag.frames[i].opaque ? std::string_view() : tag.frames[i].data;
    };
    // Version 2.4 text frames hold lists; they read as their 2.3 form does.
    const auto text = [&](int slot) {
        const std::string_view data = content(slot);
        if (tag.version != 4 || data.empty()) return decodeTextFrame(data);
        const auto encoding = static_cast<uint8_t>(data[0]);
        const std::vector<std::string> values = decodeStrings(data.substr(1), encoding);
        const auto joined = joinedText(ids[slot], values);
        return trimText(joined ? *joined : values.empty() ? std::string() : values[0]);
    };
    TID3Fields& f = reading.fields;
    f.title = text(slTitle);
    f.artist = text(slArtist);
    f.album = text(slAlbum);
    f.track = ExtractTrack(text(slTrack));
    f.year = text(slYear);
    // A recording time "2001-05-03T12:00" holds the year in its first four digits.
    const int yearFrame = reading.source[slYear];
    if (yearFrame >= 0 && tag.frames[yearFrame].id == "TDRC" && f.year.size() > 4 &&
        isDigits(std::string_view(f.year).substr(0, 4)) && (f.year[4] == '-' || f.year[4] == 'T'))
        f.year.resize(4);
    f.genre = ExtractGenre(text(slGenre));
    f.comment = decodeCommentFrame(content(slComment));
    return reading;
}

std::optional<std::vector<std::string>> toVersion23(const TID3Frame& frame, uint8_t version) {
    if (version == 3) return std::vector<std::string>{frame.stored};
    if (version == 2) {
        if (frame.id == "PIC") return one("APIC", picture23(frame.data));
        for (const auto& [id22, id23] : kIds22)
            if (frame.id == id22) return one(id23, content23(id23, frame.data, false));
        return std::nullopt;
    }
    // Compressed, encrypted and grouped frames would need their data rebuilt.
    if (frame.opaque || (frame.format & 0x40)) return std::nullopt;
    const auto status = static_cast<uint8_t>((frame.status & kStatusMask24) << 1);
    if (frame.id == "TDRC") return recordingTime23(frame.data, status);
    if (frame.id == "TDOR") {
        // Only a year has a 2.3 form (TORY).
        auto frames = recordingTime23(frame.data, status);
        if (!frames || frames->size() > 1) return std::nullopt;
        if (!frames->empty()) (*frames)[0].replace(0, 4, "TORY");
        return frames;
    }
    if (frame.id == "TIPL") return one("IPLS", content23("IPLS", frame.data, true), status);
    if (!kIds23.contains(frame.id)) return std::nullopt;
    return one(frame.id, content23(frame.id, frame.data, true), status);
}

TID3Rewrite rewriteFrames(const TID3Tag& tag, const TID3Fields& wanted) {
    const TID3Reading reading = readFields(tag);
    TID3Rewrite out;
    if (tag.compressed) out.unkept.push_back("compressed tag");
    std::array<bool, slCount> edited{};
    for (int slot = 0; slot < slCount; ++slot)
        edited[slot] = changed(slot, wanted, reading.fields);
    const auto append = [&](const std::vector<std::string>& frames) {
        out.frames.insert(out.frames.end(), frames.begin(), frames.end());
    };
    for (int i = 0; i < static_cast<int>(tag.frames.size()); ++i) {
        const TID3Frame& frame = tag.frames[i];
        const auto slot = std::find(reading.source.begin(), reading.source.end(), i);
        if (slot != reading.source.end() && edited[slot - reading.source.begin()]) {
            append(
                replacement(static_cast<int>(slot - reading.source.begin()), wanted, tag, &frame));
            continue;
        }
        const auto frames = toVersion23(frame, tag.version);
        if (frames)
            append(*frames);
        else if (std::find(out.unkept.begin(), out.unkept.end(), frame.id) == out.unkept.end())
            out.unkept.push_back(frame.id);
    }
    for (int slot = 0; slot < slCount; ++slot)
        if (edited[slot] && reading.source[slot] < 0)
            append(replacement(slot, wanted, tag, nullptr));
    return out;
}
