// What the player and recorder tests share: the window test toolkit (file dialogs, message
// boxes, thread watching, waiting) and Ogg Vorbis files made to order.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "ACS_Vorbis.h"
#include "AnswerFileDialog.h"
#include "BoxCatcher.h"
#include "FakeSource.h"
#include "Synth.h"
#include "TestFiles.h"
#include "ThreadWatch.h"
#include "WaitFor.h"

namespace testing_windows {

// Encodes `seconds` of mono music at `rate` Hz into an Ogg Vorbis file.
inline void writeOgg(const std::string& path, double seconds, int rate = 8000) {
    FakeSource source(pcm16Bytes(synthesizeMusic(seconds, rate, 1)), 1, 16, rate);
    TVorbisOut sink;
    DoneWaiter done(sink);
    sink.SetInput(&source);
    sink.SetFileName(path);
    sink.Run();
    ASSERT_TRUE(done.wait(1, 60));
    ASSERT_EQ(sink.lastError(), "");
}

// Makes the last page of an Ogg file claim the given sample position, so that the file
// announces that length without holding it. The page's checksum is made right again.
inline void claimLength(const std::string& path, int64_t samples) {
    std::vector<uint8_t> bytes = readBytes(path);
    size_t at = 0, last = 0;
    while (at + 27 <= bytes.size()) {
        last = at;
        const size_t segments = bytes[at + 26];
        size_t body = 0;
        for (size_t i = 0; i < segments; ++i)
            body += bytes[at + 27 + i];
        at += 27 + segments + body;
    }
    for (int i = 0; i < 8; ++i)
        bytes[last + 6 + static_cast<size_t>(i)] = static_cast<uint8_t>(samples >> (8 * i));
    ogg_page page;
    page.header = bytes.data() + last;
    page.header_len = 27 + bytes[last + 26];
    page.body = bytes.data() + last + page.header_len;
    page.body_len = static_cast<long>(at - last) - page.header_len;
    ogg_page_checksum_set(&page);
    writeBytes(path, bytes);
}

// Everything the decoder makes of a file.
inline std::vector<uint8_t> decodeOgg(const std::string& path) {
    TVorbisIn source;
    source.SetFileName(path);
    source.Init();
    std::vector<uint8_t> out;
    std::vector<uint8_t> block(8192);
    while (const int n = source.ReadData(block.data(), 8192))
        out.insert(out.end(), block.begin(), block.begin() + n);
    source.Flush();
    return out;
}

inline std::vector<uint8_t> slice(const std::vector<uint8_t>& bytes, size_t from, size_t count) {
    from = std::min(from, bytes.size());
    count = std::min(count, bytes.size() - from);
    return {bytes.begin() + static_cast<ptrdiff_t>(from),
            bytes.begin() + static_cast<ptrdiff_t>(from + count)};
}

}  // namespace testing_windows
