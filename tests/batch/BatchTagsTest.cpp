// Tags carried through a batch conversion: files tagged by other programs (ID3v2.3 and 2.4
// MP3, Ogg Vorbis, FLAC with a PICTURE block) converted to every tagged format and read back
// by mutagen, names in several scripts and the cover included; untagged inputs stay untagged.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "BatchConverter.h"
#include "SourceTags.h"
#include "TagReading.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

namespace {

std::string tagFile(const std::string& name) {
    return std::string(QUILLON_TEST_COVERS) + "/" + name;
}

struct Source {
    const char* file;
    TrackTags tags;  // what it holds, the cover as the file's name
    const char* coverFile;
    const char* coverMime;
};

TrackTags makeTags(const char* title, const char* artist, const char* album,
                   const char* albumArtist, int track, int tracks, int disc, int discs,
                   const char* date, const char* genre, const char* albumId,
                   const char* releaseTrackId, const char* recordingId) {
    TrackTags tags;
    tags.title = title;
    tags.artist = artist;
    tags.album = album;
    tags.albumArtist = albumArtist;
    tags.trackNumber = track;
    tags.trackTotal = tracks;
    tags.discNumber = disc;
    tags.discTotal = discs;
    tags.date = date;
    tags.genre = genre;
    tags.musicBrainzAlbumId = albumId;
    tags.musicBrainzReleaseTrackId = releaseTrackId;
    tags.musicBrainzRecordingId = recordingId;
    return tags;
}

const TrackTags kMp3Tags =
    makeTags("Café Ünïcode ☕", "Björk & Sigur Rós", "Альбом", "Various Artists", 3, 12, 1, 2,
             "2021-05-17", "Post-Rock", "11111111-2222-3333-4444-555555555555",
             "66666666-7777-8888-9999-000000000000", "aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee");

std::vector<Source> sources() {
    TrackTags mp3v23 = kMp3Tags;
    mp3v23.date = "2021";  // version 2.3 keeps the year alone in TYER
    return {
        {"tagged-id3v24.mp3", kMp3Tags, "front.png", "image/png"},
        {"tagged-id3v23.mp3", mp3v23, "front.png", "image/png"},
        {"tagged-vorbis.ogg",
         makeTags("Ogg Ünïcode ♫", "Sigur Rós", "Ágætis byrjun", "Sigur Rós", 4, 10, 2, 3,
                  "1999-06-12", "Ambient", "12121212-3434-5656-7878-909090909090",
                  "abababab-cdcd-efef-0101-232323232323", "45454545-6767-8989-0a0a-bcbcbcbcbcbc"),
         "front.jpg", "image/jpeg"},
        {"tagged-flac.flac",
         makeTags("FLAC Ünïcode ✓", "Ólafur", "Flac Album", "Ólafur & Friends", 7, 9, 1, 1, "2010",
                  "Classical", "f0f0f0f0-1111-2222-3333-444444444444",
                  "e0e0e0e0-1111-2222-3333-444444444444", "d0d0d0d0-1111-2222-3333-444444444444"),
         "front.png", "image/png"},
    };
}

void expectSameTags(const TrackTags& read, const TrackTags& want) {
    EXPECT_EQ(read.title, want.title);
    EXPECT_EQ(read.artist, want.artist);
    EXPECT_EQ(read.album, want.album);
    EXPECT_EQ(read.albumArtist, want.albumArtist);
    EXPECT_EQ(read.trackNumber, want.trackNumber);
    EXPECT_EQ(read.trackTotal, want.trackTotal);
    EXPECT_EQ(read.discNumber, want.discNumber);
    EXPECT_EQ(read.discTotal, want.discTotal);
    EXPECT_EQ(read.date, want.date);
    EXPECT_EQ(read.genre, want.genre);
    EXPECT_EQ(read.musicBrainzAlbumId, want.musicBrainzAlbumId);
    EXPECT_EQ(read.musicBrainzReleaseTrackId, want.musicBrainzReleaseTrackId);
    EXPECT_EQ(read.musicBrainzRecordingId, want.musicBrainzRecordingId);
}

// What mutagen prints for a file written from the tags, the text encodings of ID3 frames left
// out (they depend on the characters, not on what this test is about).
std::vector<std::string> expectedLines(const TrackTags& t, BatchFormat format,
                                       const std::string& mime) {
    std::vector<std::string> lines;
    if (format == BatchFormat::mp3) {
        lines = {"APIC 3 " + mime + " ''=same",
                 "TALB=" + t.album,
                 "TCON=" + t.genre,
                 "TIT2=" + t.title,
                 "TPE1=" + t.artist,
                 "TPE2=" + t.albumArtist,
                 "TPOS=" + std::to_string(t.discNumber) + "/" + std::to_string(t.discTotal),
                 "TRCK=" + std::to_string(t.trackNumber) + "/" + std::to_string(t.trackTotal),
                 "TXXX:MusicBrainz Album Id=" + t.musicBrainzAlbumId,
                 "TXXX:MusicBrainz Release Track Id=" + t.musicBrainzReleaseTrackId,
                 "TYER=" + t.date.substr(0, 4),
                 "UFID:http://musicbrainz.org=" + t.musicBrainzRecordingId,
                 "version 2.3"};
    } else {
        lines = {"ALBUM=" + t.album,
                 "ALBUMARTIST=" + t.albumArtist,
                 "ARTIST=" + t.artist,
                 "DATE=" + t.date,
                 "DISCNUMBER=" + std::to_string(t.discNumber),
                 "DISCTOTAL=" + std::to_string(t.discTotal),
                 "GENRE=" + t.genre,
                 "MUSICBRAINZ_ALBUMID=" + t.musicBrainzAlbumId,
                 "MUSICBRAINZ_RELEASETRACKID=" + t.musicBrainzReleaseTrackId,
                 "MUSICBRAINZ_TRACKID=" + t.musicBrainzRecordingId,
                 "PICTURE 3 " + mime + " ''=same",
                 "TITLE=" + t.title,
                 "TRACKNUMBER=" + std::to_string(t.trackNumber),
                 "TRACKTOTAL=" + std::to_string(t.trackTotal)};
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// mutagen's lines without the "[encoding]" of ID3 frames, and without the encoder's own
// comments that a writer adds whatever the tags.
std::vector<std::string> readBack(const std::string& file, const std::string& cover) {
    static const std::regex encoding(R"(\[[0-9]\]=)");
    std::vector<std::string> lines;
    for (const std::string& line : mutagenTags(file, cover)) {
        if (line.rfind("ENCODER=", 0) == 0 || line.rfind("TSSE", 0) == 0) continue;
        lines.push_back(std::regex_replace(line, encoding, "="));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> convertAll(const std::vector<std::string>& files, BatchFormat format,
                                    const std::string& folder) {
    BatchOptions options;
    options.format = format;
    options.jobs = 2;
    options.outputFolder = folder;
    std::vector<BatchInput> inputs;
    for (const std::string& file : files)
        inputs.push_back({file, ""});
    BatchConverter converter;
    EXPECT_TRUE(converter.Start(inputs, options).empty());
    converter.Wait();
    std::vector<std::string> outputs;
    for (size_t i = 0; i < inputs.size(); ++i) {
        const BatchFileStatus status = converter.fileStatus(i);
        EXPECT_EQ(status.state, BatchState::done) << inputs[i].path << ": " << status.message;
        outputs.push_back(converter.outputPath(i));
    }
    return outputs;
}

constexpr BatchFormat kTaggedFormats[] = {BatchFormat::mp3, BatchFormat::vorbis, BatchFormat::flac,
                                          BatchFormat::opus};

}  // namespace

TEST(SourceTagsTest, TagsOfFilesWrittenByOtherProgramsReadWhole) {
    for (const Source& source : sources()) {
        SCOPED_TRACE(source.file);
        const TrackTags read = readSourceTags(tagFile(source.file));
        expectSameTags(read, source.tags);
        ASSERT_TRUE(read.cover);
        EXPECT_EQ(read.cover->mimeType, source.coverMime);
        EXPECT_EQ(read.cover->data, readBytes(tagFile(source.coverFile)));
    }
    for (const char* file :
         {"untagged-mp3.mp3", "untagged-vorbis.ogg", "untagged-flac.flac", "front.png"}) {
        SCOPED_TRACE(file);
        EXPECT_TRUE(readSourceTags(tagFile(file)).empty());
    }
    EXPECT_TRUE(readSourceTags(tagFile("no such file.mp3")).empty());
}

TEST(BatchTagsTest, TagsAndCoverSurviveEveryConversion) {
    TempDir dir;
    const std::vector<Source> all = sources();
    std::vector<std::string> files;
    for (const Source& source : all)
        files.push_back(tagFile(source.file));
    for (const BatchFormat format : kTaggedFormats) {
        const std::string folder = dir.file(batchExtension(format));
        const std::vector<std::string> outputs = convertAll(files, format, folder);
        for (size_t i = 0; i < outputs.size(); ++i) {
            const Source& source = all[i];
            SCOPED_TRACE(std::string(source.file) + " to " + batchExtension(format));
            EXPECT_EQ(readBack(outputs[i], tagFile(source.coverFile)),
                      expectedLines(source.tags, format, source.coverMime));
        }
    }
}

TEST(BatchTagsTest, UntaggedInputsGiveUntaggedOutputs) {
    TempDir dir;
    const std::vector<std::string> files = {
        tagFile("untagged-mp3.mp3"), tagFile("untagged-vorbis.ogg"), tagFile("untagged-flac.flac")};
    for (const BatchFormat format : kTaggedFormats) {
        const std::vector<std::string> outputs =
            convertAll(files, format, dir.file(batchExtension(format)));
        for (const std::string& output : outputs) {
            SCOPED_TRACE(output);
            EXPECT_EQ(readBack(output, "-"), std::vector<std::string>{"no tags"});
        }
    }
}
