// The tag writers on arbitrary names and pictures, as a hostile or broken metadata server may
// send them: the ID3v2 tag must come out whole (its header stating its size, every frame one
// the writer makes, laid end to end) and the Vorbis comments clean UTF-8 without zero bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "ID3Tag.h"
#include "ID3TrackTag.h"
#include "VorbisComments.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Fields separated by 0x01 bytes; the numbers from the first four bytes; the last part is
    // the picture.
    std::string_view input(reinterpret_cast<const char*>(data), size);
    TrackTags tags;
    if (input.size() >= 4) {
        tags.trackNumber = static_cast<int8_t>(input[0]);
        tags.trackTotal = static_cast<uint8_t>(input[1]);
        tags.discNumber = static_cast<int8_t>(input[2]);
        tags.discTotal = static_cast<uint8_t>(input[3]) * 1000;
        input.remove_prefix(4);
    }
    std::string* fields[] = {&tags.title,
                             &tags.artist,
                             &tags.album,
                             &tags.albumArtist,
                             &tags.date,
                             &tags.genre,
                             &tags.musicBrainzAlbumId,
                             &tags.musicBrainzReleaseTrackId,
                             &tags.musicBrainzRecordingId};
    for (std::string* field : fields) {
        const size_t end = input.find('\x01');
        *field = std::string(input.substr(0, end));
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    }
    if (!input.empty()) {
        auto cover = std::make_shared<CoverArt>();
        cover->data.assign(input.begin(), input.end());
        tags.cover = cover;
    }

    const std::vector<uint8_t> tag = BuildTrackTag(tags, input.size() % 64);
    if (!tag.empty()) {
        check(tag.size() >= 10 && std::string_view(reinterpret_cast<const char*>(tag.data()), 4) ==
                                      std::string_view("ID3\x03", 4));
        uint32_t body = 0;
        for (int i = 6; i < 10; ++i) {
            check(tag[i] < 0x80);
            body = body << 7 | tag[i];
        }
        check(body == tag.size() - 10);
        const TID3Tag parsed = parseTag(
            3, tag[5], std::string_view(reinterpret_cast<const char*>(tag.data()) + 10, body));
        check(!parsed.frames.empty());
        size_t framed = 0;
        for (const TID3Frame& frame : parsed.frames) {
            static const std::string_view kWritten[] = {"TIT2", "TPE1", "TALB", "TPE2",
                                                        "TRCK", "TPOS", "TYER", "TCON",
                                                        "TXXX", "UFID", "APIC"};
            check(std::find(std::begin(kWritten), std::end(kWritten), frame.id) !=
                  std::end(kWritten));
            framed += frame.stored.size();
        }
        check(framed + input.size() % 64 == body);
    }

    for (const VorbisComment& comment : vorbisComments(tags)) {
        check(!comment.value.empty());
        check(comment.value.find('\0') == std::string::npos);
        check(cleanUtf8(comment.value) == comment.value);
    }
    const std::vector<uint8_t> picture = pictureStructure(tags);
    check(picture.empty() || (tags.cover && picture.size() > tags.cover->data.size()));
    return 0;
}
