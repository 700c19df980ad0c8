// The rip's MP3 encoding with tags: the tag ahead of the stream, the info frame still on the
// stream's first frame so the sound decodes to its exact length, and the cover size setting.
#include <gtest/gtest.h>

#include <fstream>

#include "MetadataSettings.h"
#include "Mp3Encode.h"
#include "RipSupport.h"
#include "SoundCheck.h"
#include "Synth.h"
#include "TagReading.h"
#include "TestFiles.h"

namespace {

Mp3EncodeResult encode(const std::string& wav, const std::string& mp3, const TrackTags& tags) {
    return encodeMp3(
        wav, mp3, RipSettings{}, [] { return false; }, [](int) {}, tags);
}

}  // namespace

TEST(TaggedMp3Rip, TagLeadsTheStreamAndTheSoundKeepsItsLength) {
    TempDir dir;
    // A length that is no whole number of frames, so the padding matters.
    const int frames = 44100 + 777;
    writeMusicWav(dir.file("track.wav"), frames / 44100.0);
    TrackTags tags;
    tags.title = "Песня";
    tags.artist = "Artist";
    tags.trackNumber = 4;
    tags.trackTotal = 9;
    tags.cover = coverFile("front.jpg", "image/jpeg");

    ASSERT_EQ(encode(dir.file("track.wav"), dir.file("plain.mp3"), {}).outcome,
              Mp3EncodeResult::Outcome::done);
    const Mp3EncodeResult tagged = encode(dir.file("track.wav"), dir.file("tagged.mp3"), tags);
    ASSERT_EQ(tagged.outcome, Mp3EncodeResult::Outcome::done) << tagged.message;

    EXPECT_EQ(mutagenTags(dir.file("tagged.mp3"), coverPath("front.jpg")),
              (std::vector<std::string>{"APIC 3 image/jpeg ''=same", "TIT2[1]=Песня",
                                        "TPE1[0]=Artist", "TRCK[0]=4/9", "version 2.3"}));
    EXPECT_EQ(mutagenTags(dir.file("plain.mp3")), std::vector<std::string>{"no tags"});
    const std::vector<uint8_t> plain = readBytes(dir.file("plain.mp3"));
    const std::vector<uint8_t> withTag = readBytes(dir.file("tagged.mp3"));
    ASSERT_GT(withTag.size(), plain.size());
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), withTag.end() - plain.size()))
        << "the same stream, info frame included, behind the tag";
    EXPECT_EQ(lameDecodedFrames(dir.file("tagged.mp3")), frames) << "(-1: lame is missing)";
}

TEST(MetadataSettings, CoverCapReadsBytesAndUnitsAndFallsBackOnNonsense) {
    TempDir dir;
    const std::pair<const char*, std::size_t> cases[] = {
        {"", kDefaultMaxCoverBytes},
        {"500000", 500000},
        {"2 MB", 2 * 1024 * 1024},
        {"300k", 300 * 1024},
        {" 1M ", 1024 * 1024},
        {"0", 0},
        {"-5", kDefaultMaxCoverBytes},
        {"lots", kDefaultMaxCoverBytes},
        {"12 GB", kDefaultMaxCoverBytes},
        {"99999999999999999999 MB", kDefaultMaxCoverBytes},
    };
    for (const auto& [text, bytes] : cases) {
        const std::string path = dir.file(std::string("s") + std::to_string(bytes) + text + ".ini");
        std::ofstream(path) << "[Metadata]\nmaxcover=" << text << "\n";
        EXPECT_EQ(readMaxCoverBytes(TIniFile(path)), bytes) << '"' << text << '"';
    }
    EXPECT_EQ(readMaxCoverBytes(TIniFile(dir.file("missing.ini"))), kDefaultMaxCoverBytes);
}

namespace {

class TaggedRip : public RipFixture {
  protected:
    void SetUp() override {
        RipFixture::SetUp();
        m_disc.source = DiscMetadata::Source::musicBrainz;
        m_disc.artist = "Hollow Lanterns";
        m_disc.album = "Lantern Songs";
        m_disc.year = "2004";
        m_disc.tracks = {{"First Light", "", "", ""}, {"Café Nights", "Guest", "", ""}};
        m_disc.cover = coverFile("front.jpg", "image/jpeg");
        m_names = &m_disc;
        insertDisc({75, 75});
    }

    bool has(const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    DiscMetadata m_disc;
};

}  // namespace

// The job tags every file it writes from the disc's names, and leaves the cover beside them.
TEST_F(TaggedRip, RippedFilesCarryTheDiscsNamesAndTheCoverLiesBesideThem) {
    for (const OutputFormat format : {OutputFormat::mp3, OutputFormat::ogg}) {
        SCOPED_TRACE(std::string(formatExtension(format)));
        buildList(format);
        runJob(format);
        ASSERT_EQ(job().outcome(), RipOutcome::finished);
        const std::string second = outFile("Track-02" + std::string(formatExtension(format)));
        const auto tags = mutagenTags(second, coverPath("front.jpg"));
        if (format == OutputFormat::mp3) {
            EXPECT_TRUE(has(tags, "TIT2[1]=Café Nights") || has(tags, "TIT2[0]=Café Nights"));
            EXPECT_TRUE(has(tags, "TPE1[0]=Guest"));
            EXPECT_TRUE(has(tags, "TPE2[0]=Hollow Lanterns"));
            EXPECT_TRUE(has(tags, "TRCK[0]=2/2"));
            EXPECT_TRUE(has(tags, "APIC 3 image/jpeg ''=same"));
        } else {
            EXPECT_TRUE(has(tags, "TITLE=Café Nights"));
            EXPECT_TRUE(has(tags, "ARTIST=Guest"));
            EXPECT_TRUE(has(tags, "ALBUM=Lantern Songs"));
            EXPECT_TRUE(has(tags, "TRACKNUMBER=2"));
            EXPECT_TRUE(has(tags, "PICTURE 3 image/jpeg ''=same"));
        }
        EXPECT_EQ(readBytes(outFile("cover.jpg")), readBytes(coverPath("front.jpg")));
    }
}

// Without names from a source nothing is tagged, as before.
TEST_F(TaggedRip, NoNamesNoTags) {
    m_disc.source = DiscMetadata::Source::none;
    buildList(OutputFormat::mp3);
    runJob(OutputFormat::mp3);
    EXPECT_EQ(mutagenTags(outFile("Track-01.mp3")), std::vector<std::string>{"no tags"});
}
