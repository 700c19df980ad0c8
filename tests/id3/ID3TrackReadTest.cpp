// Track tags read from ID3v2 tags that the files in the batch tests do not show: version 2.2
// frames, pictures other than the front cover, the round trip with the tag writer, and a
// hostile tag that claims more than the file holds.
#include <gtest/gtest.h>

#include "ID3TrackRead.h"
#include "ID3TrackTag.h"
#include "TagBytes.h"
#include "TestFiles.h"

namespace {

std::string picture(uint8_t type, const std::string& data) {
    return std::string("\0image/png\0", 11) + static_cast<char>(type) + std::string("\0", 1) + data;
}

}  // namespace

TEST(ID3TrackRead, Version22FramesAndTheFrontCoverChosenOverOthers) {
    const std::string body = frame22("TT2", std::string("\0Title", 6)) +
                             frame22("TP2", std::string("\0Band", 5)) +
                             frame22("TRK", std::string("\0"
                                                        "5/9",
                                                        4)) +
                             frame22("TYE", std::string("\0"
                                                        "1987",
                                                        5)) +
                             frame22("PIC", std::string("\0PNG\4\0back", 10)) +
                             frame22("PIC", std::string("\0PNG\3\0front", 11));
    const TrackTags tags = trackTagsFromId3(parseTag(2, 0, body));
    EXPECT_EQ(tags.title, "Title");
    EXPECT_EQ(tags.albumArtist, "Band");
    EXPECT_EQ(tags.trackNumber, 5);
    EXPECT_EQ(tags.trackTotal, 9);
    EXPECT_EQ(tags.date, "1987");
    ASSERT_TRUE(tags.cover);
    EXPECT_EQ(std::string(tags.cover->data.begin(), tags.cover->data.end()), "front");
    EXPECT_EQ(tags.cover->mimeType, "image/png");

    // Without a front cover the first picture is taken; a picture frame without its
    // description's end is no picture.
    const TrackTags other = trackTagsFromId3(
        parseTag(3, 0,
                 frame("APIC", picture(4, "one")) + frame("APIC", picture(5, "two")) +
                     frame("APIC", std::string("\0image/png\0\3nodescription", 23))));
    ASSERT_TRUE(other.cover);
    EXPECT_EQ(std::string(other.cover->data.begin(), other.cover->data.end()), "one");
}

TEST(ID3TrackRead, WhatTheWriterWritesReadsBackAndAHostileTagReadsNothing) {
    TrackTags tags;
    tags.title = "Ünïcode ☕";
    tags.albumArtist = "Ólafur";
    tags.trackNumber = 2;
    tags.discNumber = 3;
    tags.discTotal = 4;
    tags.date = "2001";
    tags.genre = "(Odd)";
    tags.musicBrainzAlbumId = "album";
    tags.musicBrainzReleaseTrackId = "track";
    tags.musicBrainzRecordingId = "recording";
    const std::vector<uint8_t> tag = BuildTrackTag(tags);
    TempDir dir;
    const std::string file = dir.file("t.mp3");
    writeBytes(file, tag);
    const TrackTags read = readId3TrackTags(file);
    EXPECT_EQ(read.title, tags.title);
    EXPECT_EQ(read.albumArtist, tags.albumArtist);
    EXPECT_EQ(read.trackNumber, 2);
    EXPECT_EQ(read.trackTotal, 0);
    EXPECT_EQ(read.discNumber, 3);
    EXPECT_EQ(read.discTotal, 4);
    EXPECT_EQ(read.date, "2001");
    EXPECT_EQ(read.genre, "(Odd)");
    EXPECT_EQ(read.musicBrainzAlbumId, "album");
    EXPECT_EQ(read.musicBrainzReleaseTrackId, "track");
    EXPECT_EQ(read.musicBrainzRecordingId, "recording");

    // A header claiming the largest body over a few bytes of file reads as no tag.
    const std::string hostile = tagHeader(0x0FFFFFFF) + frame("TIT2", std::string("\0x", 2));
    writeBytes(file, std::vector<uint8_t>(hostile.begin(), hostile.end()));
    EXPECT_TRUE(readId3TrackTags(file).empty());
}
