// The skin file compression: streams whose bits were worked out by hand from the initial code
// tree, round trips through our encoder, and damaged or hostile input.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "LZH.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes skinFile(std::uint32_t length, const Bytes& stream) {
    Bytes file;
    file.reserve(4 + stream.size());
    for (int shift = 0; shift < 32; shift += 8)
        file.push_back(std::uint8_t(length >> shift));
    file.insert(file.end(), stream.begin(), stream.end());
    return file;
}

std::string text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

Bytes bytesOf(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// In the initial tree the parent of node k is 314 + k / 2 and the bit of a step is the parity
// of the node stepped to. 'A' (65) goes 625, 623, 619, 610, 592, 557, 487, 346, 65: 111001101.
// The match of 3 (symbol 256) goes 625, 622, 616, 604, 581, 535, 442, 256: 10001100; after an
// 'A' it still does (only the leaves of 65 and 313 changed places). Position 0 is "000" and six
// zero bits, position 1 "000" then 000001.
TEST(LzhDecode, HandWorkedStreams) {
    EXPECT_EQ(text(TLZH::Decompress(skinFile(1, {0xE6, 0x80}))), "A");
    // 'A', then three bytes from one back: the copy repeats what it has just written.
    EXPECT_EQ(text(TLZH::Decompress(skinFile(4, {0xE6, 0xC6, 0x00}))), "AAAA");
    // 'A', then three bytes from two back: the ring starts as blanks.
    EXPECT_EQ(text(TLZH::Decompress(skinFile(4, {0xE6, 0xC6, 0x00, 0x40}))), "A A ");
    // The longest match (symbol 313: 11000101) cut at the stated length.
    EXPECT_EQ(text(TLZH::Decompress(skinFile(5, {0xC5, 0x00, 0x00}))), "     ");
    // Literal 0 (110001100) needs a ninth bit that is not there: it reads as 0.
    EXPECT_EQ(TLZH::Decompress(skinFile(1, {0xC6})), Bytes{0});
    EXPECT_TRUE(TLZH::Decompress(skinFile(0, {})).empty());
}

TEST(LzhDecode, TruncatedStreamStillGivesTheStatedLength) {
    Bytes original;
    for (int i = 0; i < 5000; ++i)
        original.push_back(std::uint8_t("skin data "[i % 10] + i / 700));
    Bytes packed = TLZH::Compress(original);
    packed.resize(packed.size() - packed.size() / 3);
    const Bytes decoded = TLZH::Decompress(packed);
    ASSERT_EQ(decoded.size(), original.size());
    // The first part, decoded from bytes that are there, is right.
    EXPECT_TRUE(std::equal(original.begin(), original.begin() + 1000, decoded.begin()));
}

TEST(LzhDecode, RefusesLengthsTheDataCannotHold) {
    EXPECT_THROW(TLZH::Decompress(Bytes{1, 0, 0}), ElzhException);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_THROW(TLZH::Decompress(skinFile(0xFFFFFFFF, {1, 2, 3, 4, 5, 6})), ElzhException);
    // Just past the most ten bytes could ever yield, with the allowance for a cut-off end.
    EXPECT_THROW(TLZH::Decompress(skinFile(480 * 10 + 4097, Bytes(10, 0x55))), ElzhException);
    EXPECT_NO_THROW(TLZH::Decompress(skinFile(480 * 10 + 4096, Bytes(10, 0x55))));
    // More than any skin: refused even with enough data behind it.
    EXPECT_THROW(TLZH::Decompress(skinFile((256u << 20) + 1, Bytes(600000, 0))), ElzhException);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    try {
        TLZH::Decompress(skinFile(0x7FFFFFFF, {1}));
    } catch (const ElzhException& error) {
        EXPECT_NE(std::string(error.what()).find("2147483647"), std::string::npos) << error.what();
    }
}

TEST(LzhRoundTrip, TextBinaryRandomAndRepetitive) {
    std::mt19937 random(7);
    std::vector<Bytes> inputs = {
        {},
        {'x'},
        bytesOf("[Personality]\r\nTop=top.bmp\r\nTopTopHeight=10\r\nTopBotHeight=44\r\n"),
        Bytes(100000, 0),
        Bytes(4161, ' '),  // the ring's own fill: matches from before the first byte
    };
    Bytes noise(70000);
    for (auto& b : noise)
        b = std::uint8_t(random());
    inputs.push_back(noise);
    // A bitmap-like input: rows of a gradient with runs and the odd change.
    Bytes picture;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            picture.push_back(std::uint8_t((x / 7 + y) ^ (random() % 23 == 0 ? 0x40 : 0)));
    inputs.push_back(picture);
    for (const Bytes& input : inputs) {
        const Bytes packed = TLZH::Compress(input);
        EXPECT_EQ(TLZH::Decompress(packed), input) << "input of " << input.size() << " bytes";
    }
    // Repetitive text packs well.
    EXPECT_LT(TLZH::Compress(picture).size(), picture.size() / 2);
}

TEST(LzhRoundTrip, OneMegabyteIsQuick) {
    std::mt19937 random(11);
    Bytes input(1 << 20);
    for (std::size_t i = 0; i < input.size(); ++i)
        input[i] = std::uint8_t((i * 7 + (i >> 10)) ^ (random() % 13 == 0 ? random() : 0));
    const auto started = std::chrono::steady_clock::now();
    const Bytes packed = TLZH::Compress(input);
    EXPECT_EQ(TLZH::Decompress(packed), input);
    // Far more than needed even with sanitizers; a quadratic match search would not make it.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

// Past 0x8000 symbols the tree is rebuilt from halved counts; both sides must do it alike.
TEST(LzhRoundTrip, ManySymbolsAcrossTreeRebuilds) {
    std::mt19937 random(3);
    Bytes input;
    for (int i = 0; i < 200000; ++i)
        input.push_back(std::uint8_t(random() % 4 == 0 ? random() % 256 : 'a' + random() % 3));
    EXPECT_EQ(TLZH::Decompress(TLZH::Compress(input)), input);
}

}  // namespace
