// Track tags read back from Vorbis comments and picture structures: the round trip with the
// writer, the spellings other taggers use, and inputs a hostile file may hold.
#include <gtest/gtest.h>

#include "CommentReading.h"
#include "VorbisComments.h"

namespace {

std::shared_ptr<const CoverArt> pngCover(std::size_t size) {
    auto cover = std::make_shared<CoverArt>();
    cover->mimeType = "image/png";
    cover->data = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    cover->data.resize(size, 7);
    return cover;
}

TrackTags fromLines(const std::vector<std::string>& lines) {
    std::vector<std::string_view> entries(lines.begin(), lines.end());
    return trackTagsFromComments(entries);
}

std::string_view view(const std::vector<uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

TEST(CommentReading, WhatTheWriterWritesReadsBackTheSame) {
    TrackTags tags;
    tags.title = "Ünïcode ☕";
    tags.artist = "A";
    tags.album = "B";
    tags.albumArtist = "C";
    tags.trackNumber = 3;
    tags.trackTotal = 12;
    tags.discNumber = 1;
    tags.discTotal = 2;
    tags.date = "2021-05-17";
    tags.genre = "Rock";
    tags.musicBrainzAlbumId = "x";
    tags.musicBrainzReleaseTrackId = "y";
    tags.musicBrainzRecordingId = "z";
    tags.cover = pngCover(100);
    std::vector<std::string> lines;
    for (const VorbisComment& comment : vorbisComments(tags))
        lines.push_back(comment.name + "=" + comment.value);
    lines.push_back(std::string(kPictureCommentName) + "=" + pictureCommentValue(tags));
    const TrackTags read = fromLines(lines);
    EXPECT_EQ(read.title, tags.title);
    EXPECT_EQ(read.albumArtist, "C");
    EXPECT_EQ(read.trackNumber, 3);
    EXPECT_EQ(read.trackTotal, 12);
    EXPECT_EQ(read.discNumber, 1);
    EXPECT_EQ(read.discTotal, 2);
    EXPECT_EQ(read.date, tags.date);
    EXPECT_EQ(read.musicBrainzRecordingId, "z");
    ASSERT_TRUE(read.cover);
    EXPECT_EQ(read.cover->data, tags.cover->data);
}

TEST(CommentReading, OtherTaggersSpellingsFirstValueWinsJunkIgnored) {
    const TrackTags read = fromLines({"title=first", "TITLE=second", "TrackNumber= 7/9 ",
                                      "DISCNUMBER=2/x", "YEAR=1999", "=nameless", "no equals",
                                      "ARTIST=bad \xFF byte", "GENRE=   ", "ALBUM ARTIST=AA"});
    EXPECT_EQ(read.title, "first");
    EXPECT_EQ(read.trackNumber, 7);
    EXPECT_EQ(read.trackTotal, 9);
    EXPECT_EQ(read.discNumber, 2);
    EXPECT_EQ(read.discTotal, 0);
    EXPECT_EQ(read.date, "1999");
    EXPECT_EQ(read.artist, "bad \xEF\xBF\xBD byte");
    EXPECT_EQ(read.genre, "");
    EXPECT_EQ(read.albumArtist, "AA");
    // Cut values stay well-formed, and comments past the limit are not read.
    std::string long2;
    for (std::size_t i = 0; i < kMaxCommentValue; ++i)
        long2 += "\xC3\xA9";  // é
    const std::string cut = fromLines({"TITLE=x" + long2}).title;
    EXPECT_EQ(cut, "x" + long2.substr(0, kMaxCommentValue - 2));
    std::vector<std::string> many(kMaxCommentCount, "COMMENT=x");
    many.push_back("TITLE=late");
    EXPECT_EQ(fromLines(many).title, "");
}

TEST(CommentReading, FrontCoverPreferredAndBrokenPicturesIgnored) {
    TrackTags front;
    front.cover = pngCover(50);
    std::vector<uint8_t> other = pictureStructure(front);
    other[3] = 4;  // back cover
    const std::string otherComment = std::string(kPictureCommentName) + "=" + base64(other);
    const std::string frontComment =
        std::string(kPictureCommentName) + "=" + pictureCommentValue(front);
    EXPECT_EQ(fromLines({otherComment}).cover->data.size(), 50u);
    const TrackTags both = fromLines({otherComment, frontComment});
    ASSERT_TRUE(both.cover);
    EXPECT_EQ(parsePictureStructure(view(pictureStructure(both))).cover->data, front.cover->data);

    // A picture that claims more bytes than follow, more than the limit, or none at all.
    std::vector<uint8_t> structure = pictureStructure(front);
    EXPECT_TRUE(parsePictureStructure(view(structure)).cover);
    structure.pop_back();
    EXPECT_FALSE(parsePictureStructure(view(structure)).cover);
    std::vector<uint8_t> huge = pictureStructure(front);
    const std::size_t lengthAt = huge.size() - 50 - 4;
    const uint32_t claimed = kMaxCoverBytes + 1;
    for (int i = 0; i < 4; ++i)
        huge[lengthAt + i] = static_cast<uint8_t>(claimed >> (24 - 8 * i));
    huge.resize(lengthAt + 4 + claimed, 0);
    EXPECT_FALSE(parsePictureStructure(view(huge)).cover);
    EXPECT_FALSE(parsePictureStructure("").cover);
    EXPECT_FALSE(fromLines({std::string(kPictureCommentName) + "=not base64!"}).cover);
}

TEST(CommentReading, Base64DecodesWithOrWithoutPaddingWithinItsLimit) {
    std::vector<uint8_t> out;
    ASSERT_TRUE(decodeBase64("Zm9vYg==", out, 10));
    EXPECT_EQ(std::string(out.begin(), out.end()), "foob");
    ASSERT_TRUE(decodeBase64("Zm9vYmE", out, 10));
    EXPECT_EQ(std::string(out.begin(), out.end()), "fooba");
    EXPECT_FALSE(decodeBase64("Zm9vY", out, 10));  // a lone digit holds no byte
    EXPECT_FALSE(decodeBase64("Zm9v YQ", out, 10));
    EXPECT_FALSE(decodeBase64("Zm9vYmFy", out, 5));
}
