// The tag made for a new MP3 file from its track tags: its extent, what it leaves out, and the
// tag read back by the module's own reader, as the tag editor will read it. Readers of other
// programs check every frame in the audio tests.
#include <gtest/gtest.h>

#include "ID3TrackTag.h"
#include "ID3v2.h"
#include "TagBytes.h"
#include "TestFiles.h"

using namespace std::string_literals;

namespace {

std::string asString(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

bool contains(const std::vector<uint8_t>& tag, const std::string& part) {
    return asString(tag).find(part) != std::string::npos;
}

std::shared_ptr<const CoverArt> picture(std::vector<uint8_t> data) {
    auto cover = std::make_shared<CoverArt>();
    cover->data = std::move(data);
    return cover;
}

}  // namespace

TEST(ID3TrackTag, EmptyTagsGiveNoTag) {
    EXPECT_TRUE(BuildTrackTag(TrackTags{}).empty());
    TrackTags blank;
    blank.title = "  \t";
    blank.trackTotal = 9;  // a total alone says nothing
    blank.cover = picture({'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'});
    EXPECT_TRUE(BuildTrackTag(blank).empty());
}

TEST(ID3TrackTag, HeaderStatesFramesAndPadding) {
    TrackTags tags;
    tags.title = "Song";
    const std::vector<uint8_t> tag = BuildTrackTag(tags, 100);
    const std::string title = frame("TIT2", "\0Song"s);
    ASSERT_EQ(tag.size(), 10 + title.size() + 100);
    EXPECT_EQ(asString(tag).substr(0, 6), "ID3\x03\0\0"s);
    EXPECT_EQ(asString(tag).substr(6, 4), syncSafe(static_cast<uint32_t>(title.size() + 100)));
    EXPECT_EQ(asString(tag).substr(10, title.size()), title);
    EXPECT_EQ(asString(tag).substr(10 + title.size()), std::string(100, '\0'));
}

TEST(ID3TrackTag, DoubtfulValuesAreLeftOut) {
    TrackTags tags;
    tags.title = "t";
    tags.date = "05/1998";                               // not a year first
    tags.musicBrainzRecordingId = std::string(65, 'a');  // longer than a UFID may hold
    tags.musicBrainzReleaseTrackId = "Трек";             // not an id, but kept as text
    tags.genre = "(Live)";  // escaped, or readers would take it for a genre reference
    const std::vector<uint8_t> tag = BuildTrackTag(tags, 0);
    EXPECT_FALSE(contains(tag, "TYER"));
    EXPECT_FALSE(contains(tag, "UFID"));
    EXPECT_TRUE(contains(tag, "TXXX"));
    EXPECT_TRUE(contains(tag, frame("TCON", "\0((Live)"s)));
    EXPECT_TRUE(contains(tag, "\x01\xFF\xFEM\0u\0"s)) << "description and value share UTF-16";
}

TEST(ID3TrackTag, TheModulesReaderReadsTheFieldsBack) {
    TempDir dir;
    TrackTags tags;
    tags.title = "夜明け";
    tags.artist = "Zoë";
    tags.album = "Album";
    tags.trackNumber = 12;
    tags.trackTotal = 14;
    tags.date = "1987";
    tags.genre = "(Live) Jazz";
    std::vector<uint8_t> file = BuildTrackTag(tags);
    const std::vector<uint8_t> audio = {0xFF, 0xFB, 0x90, 0x00};
    file.insert(file.end(), audio.begin(), audio.end());
    writeBytes(dir.file("song.mp3"), file);

    TID3v2 read;
    ASSERT_TRUE(read.ReadFromFile(dir.file("song.mp3")));
    EXPECT_TRUE(read.Exists());
    EXPECT_EQ(read.VersionID(), 3);
    EXPECT_EQ(read.Size(), static_cast<int32_t>(file.size() - audio.size()));
    EXPECT_EQ(read.Title(), "夜明け");
    EXPECT_EQ(read.Artist(), "Zoë");
    EXPECT_EQ(read.Album(), "Album");
    EXPECT_EQ(read.Track(), 12);
    EXPECT_EQ(read.Year(), "1987");
    EXPECT_EQ(read.Genre(), "(Live) Jazz");
}
