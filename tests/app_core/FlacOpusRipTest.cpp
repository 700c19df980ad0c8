// The rip job's FLAC and Opus passes: lossless files that decode to the disc's exact bytes,
// Opus files another program accepts, the disc's names as tags, cancel leaving nothing
// half-written, and the encoders' settings with their fallbacks.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "RipSupport.h"
#include "RunCommand.h"
#include "TagReading.h"

namespace {

using Files = std::vector<std::string>;

class FlacOpusRip : public RipFixture {
  protected:
    bool has(const std::vector<std::string>& lines, const std::string& line) const {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // The raw samples `flac -d` gets from a file, or a one-byte marker when it fails.
    std::vector<std::uint8_t> flacDecoded(const std::string& file) const {
        const std::string raw = (m_temp.path() / "decoded.raw").string();
        const CommandResult result =
            runCommand("flac -s -d -f --force-raw-format --endian=little --sign=signed -o " +
                       shellQuote(raw) + " " + shellQuote(file) + " 2>&1");
        if (result.status != 0) return {0xff};
        return readBytes(raw);
    }
};

}  // namespace

TEST_F(FlacOpusRip, FlacDecodesToTheDiscsBytesAndCarriesTheNames) {
    insertDisc({100, 61, 150});
    DiscMetadata names;
    names.source = DiscMetadata::Source::musicBrainz;
    names.artist = "Hollow Lanterns";
    names.album = "Lantern Songs";
    names.tracks = {{"One", "", "", ""}, {"Café Nights", "Guest", "", ""}, {"Three", "", "", ""}};
    m_names = &names;
    writeSetting("FLAC", "level", "8");
    buildList(OutputFormat::flac);
    runJob(OutputFormat::flac);

    ASSERT_EQ(job().outcome(), RipOutcome::finished);
    ASSERT_EQ(outputFiles(), (Files{"Track-01.flac", "Track-02.flac", "Track-03.flac"}));
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(flacDecoded(outFile("Track-0" + std::to_string(i + 1) + ".flac")) ==
                    trackAudio(i))
            << "track " << i + 1;
    const auto tags = mutagenTags(outFile("Track-02.flac"));
    EXPECT_TRUE(has(tags, "TITLE=Café Nights")) << ::testing::PrintToString(tags);
    EXPECT_TRUE(has(tags, "ARTIST=Guest"));
    EXPECT_TRUE(has(tags, "ALBUM=Lantern Songs"));
    EXPECT_EQ(m_observer.unchecked, (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_TRUE(m_observer.errors.empty());
    EXPECT_EQ(m_observer.captions.back(), "Finished!");
}

TEST_F(FlacOpusRip, OpusPassesAnIndependentCheckAndCarriesTheNames) {
    insertDisc({120, 75});
    DiscMetadata names;
    names.source = DiscMetadata::Source::musicBrainz;
    names.artist = "Hollow Lanterns";
    names.album = "Lantern Songs";
    names.tracks = {{"First Light", "", "", ""}, {"Second", "", "", ""}};
    m_names = &names;
    writeSetting("Opus", "bitrate", "96");
    buildList(OutputFormat::opus);
    runJob(OutputFormat::opus);

    ASSERT_EQ(job().outcome(), RipOutcome::finished);
    ASSERT_EQ(outputFiles(), (Files{"Track-01.opus", "Track-02.opus"}));
    for (const char* name : {"Track-01.opus", "Track-02.opus"}) {
        const CommandResult info = runCommand("opusinfo " + shellQuote(outFile(name)) + " 2>&1");
        EXPECT_EQ(info.status, 0) << info.output;
        EXPECT_EQ(info.output.find("WARNING"), std::string::npos) << info.output;
    }
    const auto tags = mutagenTags(outFile("Track-01.opus"));
    EXPECT_TRUE(has(tags, "TITLE=First Light")) << ::testing::PrintToString(tags);
    EXPECT_TRUE(has(tags, "TRACKNUMBER=1"));
    EXPECT_EQ(m_observer.unchecked, (std::vector<std::size_t>{0, 1}));
}

// A cancel while the sink encodes the second track leaves the first file whole, no partial
// second file, no temporary file, and the unfinished rows checked.
TEST_F(FlacOpusRip, CancelDuringEncodingLeavesNoPartialFile) {
    insertDisc({100, 100, 100});
    for (const OutputFormat format : {OutputFormat::flac, OutputFormat::opus}) {
        const std::string extension(formatExtension(format));
        SCOPED_TRACE(extension);
        std::filesystem::remove_all(out());
        std::filesystem::create_directory(out());
        buildList(format);
        m_observer.unchecked.clear();
        m_observer.onGauge = [this, clicked = false, extension](int) mutable {
            if (clicked ||
                m_observer.captions.back() != "Processing:02 (Track-02" + extension + ")" ||
                m_observer.gauges.back() <= 40)
                return;
            clicked = true;
            job().buttonClicked();
        };
        runJob(format);
        m_observer.onGauge = nullptr;
        EXPECT_EQ(job().outcome(), RipOutcome::cancelled);
        EXPECT_EQ(outputFiles(), (Files{"Track-01" + extension}));
        EXPECT_EQ(m_observer.unchecked, (std::vector<std::size_t>{0}));
        EXPECT_TRUE(m_list.row(1).checked && m_list.row(2).checked);
    }
}

TEST_F(FlacOpusRip, EncoderSettingsFallBackWhenUnusable) {
    const std::pair<const char*, int> levels[] = {{"", 5},   {"0", 0}, {"8", 8}, {"9", 5},
                                                  {"-1", 5}, {"x", 5}, {"3", 3}};
    for (const auto& [text, level] : levels) {
        writeSetting("FLAC", "level", text);
        const auto settings = readRipSettings(m_settings);
        ASSERT_TRUE(settings);
        EXPECT_EQ(settings->flacLevel, level) << '"' << text << '"';
    }
    const std::pair<const char*, int> rates[] = {
        {"", 160},    {"6", 6},     {"256", 256}, {"5", 160},
        {"257", 160}, {"96k", 160}, {"64", 64},   {"99999999999", 160}};
    for (const auto& [text, rate] : rates) {
        writeSetting("Opus", "bitrate", text);
        EXPECT_EQ(readRipSettings(m_settings)->opusBitrate, rate) << '"' << text << '"';
    }
}
