// The Vorbis comments and the picture structure made from track tags. Whole files with them
// are read back by other programs in the audio tests; these cover what those would not show.
#include <gtest/gtest.h>

#include "CoverImage.h"
#include "VorbisComments.h"

using namespace std::string_literals;

namespace {

std::vector<std::string> lines(const std::vector<VorbisComment>& comments) {
    std::vector<std::string> out;
    for (const VorbisComment& comment : comments)
        out.push_back(comment.name + "=" + comment.value);
    return out;
}

std::vector<uint8_t> bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

}  // namespace

TEST(Base64, KnownVectorsAndEveryPaddingLength) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foobar", "Zm9vYmFy"},
        {"\xFB\xFF"s, "+/8="},
        {"\0\0\0"s, "AAAA"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(base64(bytes(in)), out) << in;
}

TEST(VorbisComments, ValuesAreCleanUtf8WithoutZeroBytes) {
    EXPECT_EQ(cleanUtf8("Ünïcødé 夜 𝄞"), "Ünïcødé 夜 𝄞");
    EXPECT_EQ(cleanUtf8("a\xC3"), "a\uFFFD") << "cut short";
    EXPECT_EQ(cleanUtf8("\xC0\x80x"), "\uFFFD\uFFFDx") << "overlong";
    EXPECT_EQ(cleanUtf8("\xED\xA0\x80"), "\uFFFD\uFFFD\uFFFD") << "surrogate";
    EXPECT_EQ(cleanUtf8("\xF4\x90\x80\x80"), "\uFFFD\uFFFD\uFFFD\uFFFD") << "past U+10FFFF";
    EXPECT_EQ(cleanUtf8("before\0after"s), "before");

    TrackTags tags;
    tags.title = "Bad \xFF byte";
    tags.trackTotal = 10;  // without its number
    tags.discNumber = 2;
    tags.genre = "\0hidden"s;
    EXPECT_EQ(lines(vorbisComments(tags)),
              (std::vector<std::string>{"TITLE=Bad \uFFFD byte", "DISCNUMBER=2"}));
}

TEST(VorbisComments, PictureStructureNamesTheTypeFromTheBytes) {
    TrackTags tags;
    auto cover = std::make_shared<CoverArt>();
    cover->mimeType = "image/png";  // claimed, but the bytes are a JPEG's
    cover->data = {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3};
    tags.cover = cover;
    const std::vector<uint8_t> picture = pictureStructure(tags);
    const std::string expected = "\0\0\0\x03"s + "\0\0\0\x0Aimage/jpeg"s + "\0\0\0\0"s +
                                 std::string(16, '\0') + "\0\0\0\x07"s +
                                 "\xFF\xD8\xFF\xE0\x01\x02\x03"s;
    EXPECT_EQ(std::string(picture.begin(), picture.end()), expected);
    EXPECT_EQ(pictureCommentValue(tags), base64(picture));

    cover->data = bytes("GIF89a....");
    EXPECT_TRUE(pictureStructure(tags).empty()) << "neither JPEG nor PNG";
    EXPECT_EQ(usableCover(tags), nullptr);
    cover->data = {0xFF, 0xD8, 0xFF};
    EXPECT_TRUE(pictureStructure(tags).empty()) << "a signature and nothing else";
}
