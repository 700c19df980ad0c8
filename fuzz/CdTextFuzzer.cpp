// Feeds arbitrary CD-Text packs, as a drive returns them from the lead-in, through libcdio's
// decoder to the disc text reader, and arbitrary bytes to the text cleaning: whatever comes
// in, every text comes out as bounded UTF-8 without control characters.
#include <cdio/cdtext.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "CdText.h"

namespace {

void check(const std::string& text) {
    if (text.size() > quillon::cdrom::kMaxCdTextBytes) std::abort();
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x20 || lead == 0x7F) std::abort();
        std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (lead >= 0x80 && lead < 0xC2) std::abort();
        if (at + length > text.size()) std::abort();
        for (std::size_t i = 1; i < length; ++i)
            if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) std::abort();
        if (lead == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0) std::abort();
        at += length;
    }
    if (!text.empty() && (text.front() == ' ' || text.back() == ' ')) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    check(quillon::cdrom::cleanCdText(std::string_view(reinterpret_cast<const char*>(data), size)));

    quillon::cdrom::DiscLayout layout;
    for (int track = 0; track < 99; ++track) {
        layout.starts.push_back(track * 100);
        layout.dataTracks.push_back(false);
    }
    layout.leadOut = 99 * 100;
    cdtext_t* text = cdtext_init();
    std::vector<uint8_t> packs(data, data + size);
    if (cdtext_data_init(text, packs.data(), packs.size()) == 0) {
        if (const auto disc = quillon::cdrom::discTextOf(text, layout)) {
            for (const std::string* field :
                 {&disc->title, &disc->performer, &disc->songwriter, &disc->genre})
                check(*field);
            for (const auto& track : disc->tracks) {
                check(track.title);
                check(track.performer);
                check(track.songwriter);
            }
        }
    }
    cdtext_destroy(text);
    return 0;
}
