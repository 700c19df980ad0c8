// Tags written by the encoding sinks as they write the file, read back by the readers other
// programs use (mutagen, metaflac, vorbiscomment, opusinfo, id3v2), and the sound decoded
// again to show the tags changed nothing of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "ACS_FLAC.h"
#include "ACS_LAME.h"
#include "ACS_Opus.h"
#include "ACS_Vorbis.h"
#include "FakeSource.h"
#include "RunCommand.h"
#include "SoundCheck.h"
#include "Synth.h"
#include "TagReading.h"
#include "TestFiles.h"

namespace {

enum class Format { mp3, ogg, opus, flac };

const char* extension(Format format) {
    switch (format) {
        case Format::mp3:
            return ".mp3";
        case Format::ogg:
            return ".ogg";
        case Format::opus:
            return ".opus";
        case Format::flac:
            return ".flac";
    }
    return "";
}

constexpr Format kFormats[] = {Format::mp3, Format::ogg, Format::opus, Format::flac};

constexpr const char* kAlbumId = "9e3a5b7c-1d2f-4a6b-8c0d-2e4f6a8b0c1d";
constexpr const char* kReleaseTrackId = "0f1e2d3c-4b5a-4697-8877-66554433a2b1";
constexpr const char* kRecordingId = "a1b2c3d4-e5f6-4789-9abc-def012345678";

// Every field set: a title in Japanese and an artist in Cyrillic (no ISO-8859-1 for them), the
// rest Latin, with accents where ISO-8859-1 has them.
TrackTags fullTags(std::shared_ptr<const CoverArt> cover) {
    TrackTags tags;
    tags.title = "夜明けの歌";
    tags.artist = "Ансамбль Зари";
    tags.album = "Chansons à l'aube";
    tags.albumArtist = "Zoë Varèse";
    tags.date = "1998-05-17";
    tags.genre = "Folk";
    tags.trackNumber = 3;
    tags.trackTotal = 12;
    tags.discNumber = 1;
    tags.discTotal = 2;
    tags.musicBrainzAlbumId = kAlbumId;
    tags.musicBrainzReleaseTrackId = kReleaseTrackId;
    tags.musicBrainzRecordingId = kRecordingId;
    tags.cover = std::move(cover);
    return tags;
}

std::vector<std::string> sorted(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

// What mutagen reads from a file written with fullTags, the cover as `picture` ("" for none).
std::vector<std::string> expectedFullTags(Format format, const std::string& picture) {
    if (format == Format::mp3) {
        std::vector<std::string> lines = {
            "version 2.3",
            "TIT2[1]=夜明けの歌",
            "TPE1[1]=Ансамбль Зари",
            "TALB[0]=Chansons à l'aube",
            "TPE2[0]=Zoë Varèse",
            "TRCK[0]=3/12",
            "TPOS[0]=1/2",
            "TYER[0]=1998",
            "TCON[0]=Folk",
            std::string("TXXX:MusicBrainz Album Id[0]=") + kAlbumId,
            std::string("TXXX:MusicBrainz Release Track Id[0]=") + kReleaseTrackId,
            std::string("UFID:http://musicbrainz.org=") + kRecordingId};
        if (!picture.empty()) lines.push_back("APIC 3 " + picture + " ''=same");
        return sorted(lines);
    }
    std::vector<std::string> lines = {"TITLE=夜明けの歌",
                                      "ARTIST=Ансамбль Зари",
                                      "ALBUM=Chansons à l'aube",
                                      "ALBUMARTIST=Zoë Varèse",
                                      "TRACKNUMBER=3",
                                      "TRACKTOTAL=12",
                                      "DISCNUMBER=1",
                                      "DISCTOTAL=2",
                                      "DATE=1998-05-17",
                                      "GENRE=Folk",
                                      std::string("MUSICBRAINZ_ALBUMID=") + kAlbumId,
                                      std::string("MUSICBRAINZ_RELEASETRACKID=") + kReleaseTrackId,
                                      std::string("MUSICBRAINZ_TRACKID=") + kRecordingId};
    if (!picture.empty()) lines.push_back("PICTURE 3 " + picture + " ''=same");
    return sorted(lines);
}

class TaggedFilesTest : public ::testing::Test {
  protected:
    // Encodes pcm (CD audio) into dir/name with the tags; the sink's error text.
    std::string encode(Format format, const std::vector<uint8_t>& pcm, const std::string& name,
                       const TrackTags& tags) {
        FakeSource source(pcm, 2, 16, 44100);
        source.maxPerRead = 32767;
        const std::string path = dir.file(name);
        switch (format) {
            case Format::mp3: {
                TMP3Out sink;
                sink.SetTags(tags);
                return run(sink, source, [&] { sink.SetFileName(path); });
            }
            case Format::ogg: {
                TVorbisOut sink;
                sink.SetTags(tags);
                return run(sink, source, [&] { sink.SetFileName(path); });
            }
            case Format::opus: {
                TOpusOut sink;
                sink.SetTags(tags);
                return run(sink, source, [&] { sink.SetFileName(path); });
            }
            case Format::flac: {
                TFlacOut sink;
                sink.SetTags(tags);
                return run(sink, source, [&] { sink.SetFileName(path); });
            }
        }
        return "no such format";
    }

    static std::string run(TACSOutput& sink, TACSInput& source, const std::function<void()>& name) {
        DoneWaiter done(sink);
        name();
        sink.SetInput(&source);
        sink.Run();
        EXPECT_TRUE(done.wait(1, 120));
        return sink.lastError();
    }

    // The 16-bit samples an outside decoder gives for dir/name.
    std::vector<int16_t> decoded(Format format, const std::string& name) {
        const std::string in = shellQuote(dir.file(name)), raw = dir.file(name + ".raw");
        std::string command;
        switch (format) {
            case Format::mp3:
                command = "lame --quiet --decode -t " + in + " " + shellQuote(raw);
                break;
            case Format::ogg:
                command = "oggdec --quiet --raw -o " + shellQuote(raw) + " " + in;
                break;
            case Format::opus:
                command = "opusdec --quiet --no-dither --rate 44100 " + in + " " + shellQuote(raw);
                break;
            case Format::flac:
                command =
                    "flac --silent --decode --force-raw-format --endian=little "
                    "--sign=signed -o " +
                    shellQuote(raw) + " " + in;
                break;
        }
        const CommandResult result = runCommand(command);
        EXPECT_EQ(result.status, 0) << command << "\n" << result.output;
        return result.status == 0 ? pcm16Samples(readBytes(raw)) : std::vector<int16_t>{};
    }

    std::string tool(const std::string& command, const std::string& name) {
        const CommandResult result = runCommand(command + " " + shellQuote(dir.file(name)));
        EXPECT_EQ(result.status, 0) << command << "\n" << result.output;
        return result.output;
    }

    TempDir dir;
    const std::vector<uint8_t> pcm = pcm16Bytes(synthesizeMusic(1.5, 44100, 2));
};

TEST_F(TaggedFilesTest, EveryFieldAndTheCoverReadBackInEveryFormat) {
    // PNG in two formats, JPEG in the other two, so each writer meets both.
    for (const Format format : kFormats) {
        const bool png = format == Format::mp3 || format == Format::opus;
        const std::string picture = png ? "front.png" : "front.jpg";
        const std::string mime = png ? "image/png" : "image/jpeg";
        SCOPED_TRACE(extension(format));
        const std::string name = std::string("full") + extension(format);
        ASSERT_EQ(encode(format, pcm, name, fullTags(coverFile(picture, mime))), "");
        EXPECT_EQ(mutagenTags(dir.file(name), coverPath(picture)), expectedFullTags(format, mime));
    }
}

TEST_F(TaggedFilesTest, EachFormatsOwnToolsReadTheTags) {
    for (const Format format : kFormats)
        ASSERT_EQ(encode(format, pcm, std::string("t") + extension(format),
                         fullTags(coverFile("front.jpg", "image/jpeg"))),
                  "");

    const std::string flacList =
        tool("metaflac --list --block-type=VORBIS_COMMENT,PICTURE", "t.flac");
    for (const char* line :
         {"TITLE=夜明けの歌", "ALBUMARTIST=Zoë Varèse", "TRACKTOTAL=12", "DISCTOTAL=2",
          "type: 3 (Cover (front))", "MIME type: image/jpeg", "data length: 820"})
        EXPECT_NE(flacList.find(line), std::string::npos) << line << "\n" << flacList;

    const std::string oggList = tool("vorbiscomment --list --raw", "t.ogg");
    for (const char* line : {"ARTIST=Ансамбль Зари\n", "MUSICBRAINZ_TRACKID=a1b2c3d4-",
                             "METADATA_BLOCK_PICTURE=AAAAAwAAAAppbWFnZS9qcGVn"})
        EXPECT_NE(oggList.find(line), std::string::npos) << line << "\n" << oggList;

    // opusinfo checks the stream and its headers, and lists the comments (the picture shortened).
    const std::string opusInfo = tool("opusinfo", "t.opus");
    for (const char* line : {"GENRE=Folk", "DISCNUMBER=1", "METADATA_BLOCK_PICTURE="})
        EXPECT_NE(opusInfo.find(line), std::string::npos) << line << "\n" << opusInfo;
    EXPECT_EQ(opusInfo.find("WARNING"), std::string::npos) << opusInfo;

    const std::string id3List = tool("id3v2 --list", "t.mp3");
    for (const char* line : {"id3v2 tag info", "TALB (Album/Movie/Show title): Chansons",
                             "TRCK (Track number/Position in set): 3/12",
                             "TPOS (Part of a set): 1/2", "APIC (Attached picture): ()[, 3]"})
        EXPECT_NE(id3List.find(line), std::string::npos) << line << "\n" << id3List;
}

TEST_F(TaggedFilesTest, TagsLeaveTheSoundAsItWas) {
    const TrackTags tags = fullTags(coverFile("front.png", "image/png"));
    const size_t frames = pcm.size() / 4;
    for (const Format format : kFormats) {
        SCOPED_TRACE(extension(format));
        const std::string plain = std::string("plain") + extension(format);
        const std::string tagged = std::string("tagged") + extension(format);
        ASSERT_EQ(encode(format, pcm, plain, {}), "");
        ASSERT_EQ(encode(format, pcm, tagged, tags), "");
        const std::vector<int16_t> sound = decoded(format, tagged);
        EXPECT_EQ(sound, decoded(format, plain));
        // The decoders drop the encoders' delay and padding: exactly the frames that went in.
        EXPECT_EQ(sound.size(), frames * 2);
        if (format == Format::flac) {
            EXPECT_EQ(pcm16Bytes(sound), pcm);
        }
    }
    // MP3 frames stand alone: the tagged file is the untagged one behind its tag, the info
    // frame included.
    const std::vector<uint8_t> plain = readBytes(dir.file("plain.mp3"));
    const std::vector<uint8_t> tagged = readBytes(dir.file("tagged.mp3"));
    ASSERT_GT(tagged.size(), plain.size());
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), tagged.end() - plain.size()));
    EXPECT_EQ(lameDecodedFrames(dir.file("tagged.mp3")), static_cast<long long>(frames));
}

TEST_F(TaggedFilesTest, EmptyTagsWriteNoTagAndNoCoverWritesNoPicture) {
    for (const Format format : kFormats) {
        SCOPED_TRACE(extension(format));
        const std::string bare = std::string("bare") + extension(format);
        ASSERT_EQ(encode(format, pcm, bare, {}), "");
        EXPECT_EQ(mutagenTags(dir.file(bare)), std::vector<std::string>{"no tags"});

        const std::string noCover = std::string("nocover") + extension(format);
        ASSERT_EQ(encode(format, pcm, noCover, fullTags(nullptr)), "");
        EXPECT_EQ(mutagenTags(dir.file(noCover)), expectedFullTags(format, ""));

        // A cover that is no picture is left out rather than written as one.
        auto junk = std::make_shared<CoverArt>();
        junk->mimeType = "image/jpeg";
        junk->data.assign(2000, 'x');
        const std::string badCover = std::string("junk") + extension(format);
        ASSERT_EQ(encode(format, pcm, badCover, fullTags(junk)), "");
        EXPECT_EQ(mutagenTags(dir.file(badCover)), expectedFullTags(format, ""));
    }
    EXPECT_EQ(readBytes(dir.file("bare.mp3")).at(0), 0xFF) << "the first frame starts the file";
}

TEST_F(TaggedFilesTest, PartialTagsLeaveOutWhatIsUnknown) {
    // A track number without its total, a disc total without its number, a year alone.
    TrackTags tags;
    tags.title = "Intro";
    tags.trackNumber = 1;
    tags.discTotal = 2;
    tags.date = "2001";
    tags.genre = "(Live) Rock";
    ASSERT_EQ(encode(Format::mp3, pcm, "partial.mp3", tags), "");
    EXPECT_EQ(mutagenTags(dir.file("partial.mp3")),
              sorted({"version 2.3", "TIT2[0]=Intro", "TRCK[0]=1", "TYER[0]=2001",
                      "TCON[0]=(Live) Rock"}));
    ASSERT_EQ(encode(Format::flac, pcm, "partial.flac", tags), "");
    EXPECT_EQ(mutagenTags(dir.file("partial.flac")),
              sorted({"TITLE=Intro", "TRACKNUMBER=1", "DATE=2001", "GENRE=(Live) Rock"}));
}

}  // namespace
