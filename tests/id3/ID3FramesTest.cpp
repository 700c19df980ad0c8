#include <gtest/gtest.h>

#include <algorithm>

#include "ID3Frames.h"
#include "ID3Text.h"
#include "TagBytes.h"

namespace {

std::string built(const std::vector<std::string>& frames) {
    const auto tag = BuildTag(frames);
    return tag ? std::string(tag->begin(), tag->end()) : "<none>";
}

TID3Header header(const std::string& bytes) {
    TID3Header out{};
    std::copy_n(bytes.begin(), out.size(), out.begin());
    return out;
}

}  // namespace

TEST(ID3Layout, TagIsHeaderThenFramesInTheirOrderWithoutPadding) {
    using namespace std::string_literals;
    EXPECT_EQ(built({}), "ID3\3\0\0\0\0\0\0"s);
    EXPECT_EQ(built({frame23("TIT2", encodeTextFrame("Abc"))}),
              "ID3\3\0\0\0\0\0\x0ETIT2\0\0\0\4\0\0\0Abc"s);
    EXPECT_EQ(frame23("TYER", "\0"s + "1999", 0x40, 0x20), "TYER\0\0\0\5\x40\x20\0"s + "1999");
    // The size bytes carry seven bits each: 357 = 2 * 128 + 101.
    EXPECT_EQ(built({std::string(357, 'x')}).substr(6, 4), "\0\0\x02\x65"s);
}

TEST(ID3Layout, TagSizeCountsHeaderAndMustFitTheFile) {
    const TID3Header small = header(tagHeader(14));
    EXPECT_EQ(GetTagSize(small, 100), 24);
    EXPECT_EQ(GetTagSize(small, 24), 24);
    EXPECT_EQ(GetTagSize(small, 23), 0);
    EXPECT_EQ(GetTagSize(header(tagHeader(0x0FFFFFFF)), int64_t{1} << 30), 0x0FFFFFFF + 10);
    // Size bytes with their top bit set are taken whole.
    EXPECT_EQ(GetTagSize(header(std::string("ID3\3\0\0\0\0\x01\x80", 10)), 1000), 128 + 128 + 10);
    // A version 2.4 footer belongs to the tag.
    EXPECT_EQ(GetTagSize(header(std::string("ID3\4\0\x10\0\0\0\x0E", 10)), 100), 34);
    EXPECT_EQ(GetTagSize(header(std::string("ID3\3\0\x10\0\0\0\x0E", 10)), 100), 24);
}

TEST(ID3Fields, TrackIsTheNumberBeforeTheSlash) {
    const std::pair<const char*, int> cases[] = {
        {"07", 7}, {"7/12", 7}, {" 3 /12", 3}, {"+5", 5}, {"255", 255}, {"", 0},
        {"x", 0},  {"3a", 0},   {"/12", 0},    {"-3", 0}, {"256", 0},   {"99999999999999999999", 0},
    };
    for (const auto& [text, track] : cases)
        EXPECT_EQ(ExtractTrack(text), track) << text;
}

TEST(ID3Fields, GenreDropsOnlyLeadingNumericReferences) {
    const std::pair<const char*, const char*> cases[] = {
        {"(17)Rock", "Rock"},
        {"(17)", ""},
        {"Rock", "Rock"},
        {"(17)(52) Trance", "Trance"},
        {"Rock (Live)", "Rock (Live)"},
        {"(Rock)", "(Rock)"},
        {"()Pop", "()Pop"},
        {" (9)Metal ", "Metal"},
        {"((Live) Rock", "(Live) Rock"},
        {"(17)((Live)", "(Live)"},
    };
    for (const auto& [text, genre] : cases)
        EXPECT_EQ(ExtractGenre(text), genre) << text;
}

TEST(ID3Text, TextFramesDecodeEveryEncodingToUtf8) {
    using namespace std::string_literals;
    const std::pair<std::string, std::string> cases[] = {
        {"\0Caf\xE9"s, "Caf\u00E9"},
        {"\0  Padded \0\0\0"s, "Padded"},
        {"\0Title\0junk"s, "Title"},
        {"\1\xFF\xFEH\0\xE9\0\0\0"s, "H\u00E9"},
        {"\1\xFE\xFF\0H\0\xE9"s, "H\u00E9"},
        {"\1\xFF\xFE\x3D\xD8\x00\xDE"s, "\U0001F600"},  // surrogate pair
        {"\1\xFF\xFE\x00\xD8O\0"s, "\uFFFDO"},          // lone surrogate
        {"\2\0H\x04\x10"s, "H\u0410"},
        {"\3Gr\xC3\xBC\xC3\x9F"s, "Gr\u00FC\u00DF"},
        {"\3A\xC3\xFF"s, "A\uFFFD\uFFFD"},
        {"\1\xFF\xFEH"s, ""},  // odd byte dropped
        {""s, ""},
    };
    for (const auto& [content, text] : cases)
        EXPECT_EQ(decodeTextFrame(content), text) << content;
}

TEST(ID3Text, CommentIsTheTextAfterLanguageAndDescription) {
    using namespace std::string_literals;
    EXPECT_EQ(decodeCommentFrame("\0eng\0Nice"s), "Nice");
    EXPECT_EQ(decodeCommentFrame("\0engDesc\0Nice"s), "Nice");
    EXPECT_EQ(decodeCommentFrame("\0engNo terminator"s), "No terminator");
    EXPECT_EQ(decodeCommentFrame("\1eng\xFF\xFE"
                                 "D\0\0\0\xFF\xFEN\0\xE9\0"s),
              "N\u00E9");
    EXPECT_EQ(decodeCommentFrame("\0en"s), "");
}

TEST(ID3Text, WritesLatin1WhenItFitsElseUtf16WithByteOrderMark) {
    using namespace std::string_literals;
    EXPECT_EQ(encodeTextFrame("Caf\u00E9"), "\0Caf\xE9"s);
    EXPECT_EQ(encodeTextFrame(""), "");
    EXPECT_EQ(encodeTextFrame("\u0416\U0001F600"), "\1\xFF\xFE\x16\x04\x3D\xD8\x00\xDE"s);
    EXPECT_EQ(encodeCommentFrame("\u0416"), "\1eng\xFF\xFE\0\0\xFF\xFE\x16\x04"s);
    EXPECT_EQ(encodeTextFrame("A\xFF"),
              "\1\xFF\xFE"
              "A\0\xFD\xFF"s);  // malformed UTF-8

    for (const char* text : {"\u00C5ngstr\u00F6m", "\u65E5\u672C", "a\U0001F3B5b"}) {
        EXPECT_EQ(decodeTextFrame(encodeTextFrame(text)), text);
        EXPECT_EQ(decodeCommentFrame(encodeCommentFrame(text)), text);
    }
}
