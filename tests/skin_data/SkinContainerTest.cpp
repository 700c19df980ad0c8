// The container inside a skin file: the name list, the sizes, lookups, and damaged containers
// that must be refused without reading past their end.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "LZH.h"
#include "SkinReader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void putWord(Bytes& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

// A container written by hand: header, the name list as given, the sizes, the data.
Bytes container(const std::string& names, const std::vector<std::uint32_t>& sizes,
                const std::string& data, std::uint32_t version = 20000) {
    Bytes out;
    putWord(out, version);
    putWord(out, std::uint32_t(names.size()));
    putWord(out, 7);  // the two words a reader ignores
    putWord(out, 9);
    out.insert(out.end(), names.begin(), names.end());
    for (std::uint32_t size : sizes)
        putWord(out, size);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::string text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

TSkinReader::OpenResult open(TSkinReader& reader, const Bytes& raw) {
    return reader.OpenSkin(TLZH::Compress(raw));
}

TEST(SkinContainer, NamesAreLowerCasedAndLineEndsOfEveryKindSplitThem) {
    TSkinReader reader;
    ASSERT_EQ(open(reader, container("Top.BMP\r\nleft.bmp\rRIGHT.bmp\nskin.INI\r\n", {3, 2, 0, 4},
                                     "abcdeSKIN")),
              TSkinReader::OpenResult::ok)
        << reader.errorText();
    EXPECT_EQ(reader.names(),
              (std::vector<std::string>{"top.bmp", "left.bmp", "right.bmp", "skin.ini"}));
    EXPECT_EQ(text(reader.ExtractFile("TOP.bmp")), "abc");
    EXPECT_EQ(text(reader.ExtractFile("left.bmp")), "de");
    EXPECT_TRUE(reader.ExtractFile("right.bmp").empty());
    EXPECT_TRUE(reader.ExtractFile("missing.bmp").empty());

    Bytes found = {1, 2};
    std::string name = "unchanged";
    ASSERT_TRUE(reader.FindFile(".ini", found, name));
    EXPECT_EQ(text(found), "SKIN");
    EXPECT_EQ(name, "skin.ini");
    EXPECT_FALSE(reader.FindFile(".wav", found, name));
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(name, "skin.ini");
}

TEST(SkinContainer, LastLineWithoutLineEndAndFirstOfTwoEqualNames) {
    TSkinReader reader;
    ASSERT_EQ(open(reader, container("a.bmp\r\nA.bmp\r\nb.ini", {1, 1, 1}, "xyz")),
              TSkinReader::OpenResult::ok);
    EXPECT_EQ(reader.names().size(), 3u);
    EXPECT_EQ(text(reader.ExtractFile("a.bmp")), "x");
    EXPECT_EQ(text(reader.ExtractFile("b.ini")), "z");
    // Bytes after the last entry are no entry's and do no harm.
    ASSERT_EQ(open(reader, container("a.bmp\r\n", {1}, "x-trailing")), TSkinReader::OpenResult::ok);
    EXPECT_EQ(text(reader.ExtractFile("a.bmp")), "x");
}

TEST(SkinContainer, OtherVersionsAreOlderSkins) {
    TSkinReader reader;
    EXPECT_EQ(open(reader, container("a.bmp\r\n", {1}, "x", 19999)),
              TSkinReader::OpenResult::olderVersion);
    EXPECT_TRUE(reader.names().empty());
    EXPECT_NE(reader.errorText().find("19999"), std::string::npos);
}

TEST(SkinContainer, DamagedContainersAreRefusedAndLeaveNothing) {
    TSkinReader reader;
    ASSERT_EQ(open(reader, container("a.bmp\r\n", {1}, "x")), TSkinReader::OpenResult::ok);

    Bytes listPastEnd = container("a.bmp\r\n", {1}, "x");
    listPastEnd[4] = 200;
    Bytes tooManyNames;
    std::string names;
    for (int i = 0; i < 1002; ++i)
        names += std::to_string(i) + ".bmp\r\n";
    const std::vector<Bytes> damaged = {
        Bytes{0x20, 0x4E, 0, 0},                                  // a header cut short
        listPastEnd,                                              // the name list runs past the end
        container("a.bmp\r\nb.bmp\r\n", {1}, ""),                 // the sizes run past the end
        container("a.bmp\r\nb.bmp\r\n", {1, 3}, "xyz"),           // an entry does
        container("a.bmp\r\nb.bmp\r\n", {0xFFFFFFFF, 2}, "xyz"),  // a size that wraps
        container(names, std::vector<std::uint32_t>(1002, 0), ""),  // more than 1001 entries
    };
    for (const Bytes& raw : damaged) {
        EXPECT_EQ(open(reader, raw), TSkinReader::OpenResult::damaged);
        EXPECT_TRUE(reader.names().empty());
        EXPECT_FALSE(reader.errorText().empty());
    }
    // Not compressed data at all.
    EXPECT_EQ(reader.OpenSkin(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 1}), TSkinReader::OpenResult::damaged);
    EXPECT_EQ(reader.OpenSkin(Bytes{}), TSkinReader::OpenResult::damaged);

    // 1001 entries is the most a skin holds.
    names.clear();
    for (int i = 0; i < 1001; ++i)
        names += std::to_string(i) + ".bmp\r\n";
    EXPECT_EQ(open(reader, container(names, std::vector<std::uint32_t>(1001, 0), "")),
              TSkinReader::OpenResult::ok);
}

TEST(SkinContainer, PackedSkinReadsBack) {
    const std::vector<SkinEntry> entries = {
        {"Top.bmp", {1, 2, 3}}, {"empty.bmp", {}}, {"skin.ini", {'[', 'a', ']'}}};
    const Bytes raw = PackSkinContainer(entries);
    // Version, name-list length, two zero words, names ended by CR LF.
    EXPECT_EQ(Bytes(raw.begin(), raw.begin() + 16),
              (Bytes{0x20, 0x4E, 0, 0, 30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(std::string(raw.begin() + 16, raw.begin() + 46),
              "Top.bmp\r\nempty.bmp\r\nskin.ini\r\n");

    TSkinReader reader;
    ASSERT_EQ(reader.OpenSkin(PackSkinFile(entries)), TSkinReader::OpenResult::ok);
    EXPECT_EQ(reader.ExtractFile("top.bmp"), (Bytes{1, 2, 3}));
    EXPECT_EQ(text(reader.ExtractFile("skin.ini")), "[a]");

    // Names that would not read back as themselves are refused, as are too many entries.
    EXPECT_THROW(PackSkinContainer({{"two\r\nlines.bmp", {}}}), std::invalid_argument);
    EXPECT_THROW(PackSkinContainer({{"", {1}}}), std::invalid_argument);
    EXPECT_THROW(PackSkinContainer(std::vector<SkinEntry>(1002, {"a.bmp", {}})),
                 std::invalid_argument);
}

}  // namespace
