// quillon-cli rip, run in a folder with a disc image and a settings file as a user runs it.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "../platform_accuraterip/AnswerBytes.h"
#include "AccurateRipClient.h"
#include "AccurateRipTestServer.h"
#include "CddbTestServer.h"
#include "DiscId.h"
#include "DiscIds.h"
#include "DiscImages.h"
#include "RipSupport.h"
#include "RunCommand.h"
#include "TestFiles.h"

namespace {

class RipCliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directory(m_temp.path() / "discs");
        m_image = writeCueImage(m_temp.path() / "discs", "disc", {60, 100, 30});
        writeSettings("");
    }
    CommandResult cli(const std::string& arguments) {
        return runCommand("cd " + shellQuote(m_temp.path().string()) + " && " +
                          shellQuote(QUILLON_CLI) + " " + arguments);
    }
    // The image's drive: the machine's own drives come first.
    std::string drive() {
        const std::string list = cli("drives").output;
        const size_t at = list.find("  disc.cue");
        const size_t start = at == std::string::npos ? 0 : list.rfind('\n', at);
        return at == std::string::npos
                   ? "9"
                   : list.substr(start == std::string::npos ? 0 : start + 1,
                                 at - (start == std::string::npos ? 0 : start + 1));
    }
    // The text, and an AccurateRip server that refuses at once: no test asks the real one.
    void writeSettings(const std::string& text) {
        std::ofstream(m_temp.path() / "settings.ini")
            << text
            << (text.find("[AccurateRip]") == std::string::npos
                    ? "\n[AccurateRip]\nserver=127.0.0.1:1\n"
                    : "");
    }
    std::vector<std::uint8_t> trackAudio(int index) const {
        const auto first = std::size_t(m_image.trackStarts[std::size_t(index)]) * 2352;
        const auto last = (std::size_t(index) + 1 < m_image.trackStarts.size()
                               ? std::size_t(m_image.trackStarts[std::size_t(index) + 1])
                               : std::size_t(m_image.leadOut)) *
                          2352;
        return {m_image.audio.begin() + std::ptrdiff_t(first),
                m_image.audio.begin() + std::ptrdiff_t(last)};
    }
    std::vector<std::string> files(const std::string& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_temp.path() / folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir m_temp;
    DiscImage m_image;
};

TEST_F(RipCliTest, RipsTheChosenTracksIntoTheFolder) {
    auto result = cli("rip --format wav --out wav --tracks 1,3 --drive " + drive());
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Processing:03 (Track-03.wav)"), std::string::npos);
    EXPECT_NE(result.output.find("Finished!"), std::string::npos);
    EXPECT_EQ(files("wav"),
              (std::vector<std::string>{"Track-01.wav", "Track-03.wav", "rip.cue", "rip.log"}));
    EXPECT_TRUE(readBytes((m_temp.path() / "wav" / "Track-03.wav").string()) ==
                canonicalWav(2, 16, 44100, trackAudio(2)));

    result = cli("rip --format ogg --out ogg --tracks 2-3 --drive " + drive());
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(files("ogg"),
              (std::vector<std::string>{"Track-02.ogg", "Track-03.ogg", "rip.cue", "rip.log"}));
    EXPECT_EQ(oggSampleCount((m_temp.path() / "ogg" / "Track-02.ogg").string()), 100 * 588);

    result = cli("rip --format flac --out flac --tracks 2 --drive " + drive());
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(files("flac"), (std::vector<std::string>{"Track-02.flac", "rip.cue", "rip.log"}));
    const std::string raw = (m_temp.path() / "decoded.raw").string();
    ASSERT_EQ(runCommand("flac -s -d --force-raw-format --endian=little --sign=signed -o " +
                         shellQuote(raw) + " " +
                         shellQuote((m_temp.path() / "flac" / "Track-02.flac").string()))
                  .status,
              0);
    EXPECT_TRUE(readBytes(raw) == trackAudio(1));
    result = cli("rip --format opus --out opus --tracks 3 --drive " + drive());
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(files("opus"), (std::vector<std::string>{"Track-03.opus", "rip.cue", "rip.log"}));

    for (const std::string& arguments : std::vector<std::string>{
             "rip --out x", "rip --format aiff --out x", "rip --format wav",
             "rip --format wav --out x --tracks 2-1", "rip --format wav --out x --tracks one",
             "rip --format wav --out x --drive " + drive() + " --tracks 4", "rip --format wav x",
             "rip --format mp3 --out x --jobs 65", "rip --format mp3 --out x --jobs -1"}) {
        result = cli(arguments);
        EXPECT_EQ(result.status, 2) << arguments << "\n" << result.output;
    }
}

TEST_F(RipCliTest, SeveralEncodersSayEachFinishedTrackAndMakeTheSameFiles) {
    auto result = cli("rip --format mp3 --out one --jobs 1 --drive " + drive());
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.output.find("Encoded"), std::string::npos);
    result = cli("rip --format mp3 --out three --jobs 3 --drive " + drive());
    ASSERT_EQ(result.status, 0) << result.output;
    // Not a terminal: one line as each track's file is done, whatever the order.
    for (const char* line :
         {"Encoded 01 Track-01.mp3\n", "Encoded 02 Track-02.mp3\n", "Encoded 03 Track-03.mp3\n"})
        EXPECT_NE(result.output.find(line), std::string::npos) << result.output;
    ASSERT_EQ(files("three"), files("one"));
    for (const std::string& name : files("one"))
        EXPECT_TRUE(readBytes((m_temp.path() / "one" / name).string()) ==
                    readBytes((m_temp.path() / "three" / name).string()))
            << name;
}

TEST_F(RipCliTest, CddbTitlesBecomeSafeFileNames) {
    CddbTestServer server;
    quillon::cdrom::DiscLayout layout;
    layout.starts = m_image.trackStarts;
    layout.leadOut = m_image.leadOut;
    const std::string id = quillon::cdrom::discIdText(quillon::cdrom::cddbDiscId(layout));
    server.addEntry(
        {"rock",
         id,
         "Band / Record",
         {"DTITLE=Band / Record", "TTITLE0=../Up and away", "TTITLE1=AC/DC", "TTITLE2=  Third  "}});
    writeSettings("[CDDB]\nserver=" + server.address() + "\nemail=me@example.org\n");
    const auto result = cli("rip --format mp3 --out mp3 --cddb --drive " + drive());
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(files("mp3"), (std::vector<std::string>{".._Up and away.mp3", "AC_DC.mp3",
                                                      "Record.cue", "Record.log", "Third  .mp3"}));
    EXPECT_FALSE(std::filesystem::exists(m_temp.path() / "Up and away.mp3"));
    ASSERT_FALSE(server.requests().empty());
    EXPECT_EQ(server.requests().back().hello, "me example.org program 1.0");
}

TEST_F(RipCliTest, CddbTitlesContinuedOverSeveralLinesNameTheFilesWhole) {
    CddbTestServer server;
    quillon::cdrom::DiscLayout layout;
    layout.starts = m_image.trackStarts;
    layout.leadOut = m_image.leadOut;
    const std::string id = quillon::cdrom::discIdText(quillon::cdrom::cddbDiscId(layout));
    server.addEntry({"classical", id, "Consort / Music", cddbEntryFile("long-titles.txt")});
    writeSettings("[CDDB]\nserver=" + server.address() + "\n");
    const auto result = cli("rip --format wav --out wav --cddb --tracks 2 --drive " + drive());
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(files("wav"),
              (std::vector<std::string>{
                  "Music for the Long Evenings: Suites, Songs and Dances of the Northern "
                  "Provinces.cue",
                  "Music for the Long Evenings: Suites, Songs and Dances of the Northern "
                  "Provinces.log",
                  "Suite No. 2 in G minor for Strings and Continuo, Op. 14: I. Prelude (Lento) - "
                  "II. Allemande - III. Courante - IV. Sarabande - V. Gigue (Live, Title14 "
                  "Hall).wav"}));
    EXPECT_NE(result.output.find("Title     Music for the Long Evenings: Suites, Songs and Dances "
                                 "of the Northern Provinces\n"),
              std::string::npos)
        << result.output;
}

TEST_F(RipCliTest, EachTrackGetsAResultLineOrTheWholeReportAsJson) {
    quillon::cdrom::DiscLayout layout;
    layout.starts = m_image.trackStarts;
    layout.dataTracks.assign(layout.starts.size(), false);
    layout.leadOut = m_image.leadOut;
    const auto ids = *quillon::accuraterip::discIds(layout);
    std::vector<quillon::accuraterip::TrackChecksums> sums;
    for (int number = 1; number <= 3; ++number) {
        quillon::accuraterip::TrackChecksum checksum(
            *quillon::accuraterip::trackPlace(layout, number));
        const auto audio = trackAudio(number - 1);
        checksum.add(audio.data(), audio.size());
        sums.push_back(checksum.result());
    }
    AccurateRipTestServer server;
    const std::string url = *quillon::accuraterip::accurateRipUrl(server.address(), ids);
    server.setAnswer(url.substr(url.find("/accuraterip/")),
                     pressingBytes(ids, {{12, sums[0].v2, 0}, {4, sums[1].v1, 0}, {3, 1, 0}}));
    writeSettings("[AccurateRip]\nserver=" + server.address() + "\n");

    auto result = cli("rip --format wav --out lines --drive " + drive());
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Track 01: accurate (confidence 12, v2)\n"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("Track 02: accurate (confidence 4, v1)\n"), std::string::npos);
    EXPECT_NE(result.output.find("Track 03: mismatch\n"), std::string::npos);

    // The report on stdout, without the progress lines on stderr.
    const auto json = [this](const std::string& arguments) {
        const auto run = runCommand("cd " + shellQuote(m_temp.path().string()) + " && { " +
                                    shellQuote(QUILLON_CLI) + " " + arguments + " 2>/dev/null; }");
        EXPECT_EQ(run.status, 0) << run.output;
        return nlohmann::json::parse(run.output, nullptr, false);
    };
    const auto hex = [](std::uint32_t value) {
        char text[9];
        std::snprintf(text, sizeof text, "%08X", value);
        return std::string(text);
    };
    auto report = json(
        "rip --format wav --out json --mode secure --test --offset 0 --json "
        "--tracks 1,3 --drive " +
        drive());
    ASSERT_FALSE(report.is_discarded());
    EXPECT_EQ(report["disc"]["accuraterip_id1"], hex(ids.id1));
    EXPECT_EQ(report["disc"]["accuraterip_id2"], hex(ids.id2));
    EXPECT_EQ(report["disc"]["cddb_id"], hex(ids.cddbId));
    EXPECT_EQ(report["mode"], "secure");
    ASSERT_EQ(report["tracks"].size(), 2u);
    const auto& first = report["tracks"][0];
    EXPECT_EQ(first["number"], 1);
    EXPECT_EQ(first["file"], "Track-01.wav");
    EXPECT_EQ(first["crc32"], hex(sums[0].crc32));
    EXPECT_EQ(first["test_crc32"], hex(sums[0].crc32));
    EXPECT_EQ(first["accuraterip_v1"], hex(sums[0].v1));
    EXPECT_EQ(first["accuraterip_v2"], hex(sums[0].v2));
    EXPECT_EQ(first["accuraterip"]["status"], "accurate");
    EXPECT_EQ(first["accuraterip"]["confidence"], 12);
    EXPECT_TRUE(first["unsettled"].empty());
    EXPECT_EQ(report["tracks"][1]["accuraterip"]["status"], "mismatch");

    // Fast mode makes no test pass; an offset moves the samples and so the checksums.
    report = json(
        "rip --format wav --out fast --mode fast --test --offset 6 --json --tracks 2 "
        "--drive " +
        drive());
    ASSERT_FALSE(report.is_discarded());
    EXPECT_EQ(report["mode"], "fast");
    EXPECT_EQ(report["offset"], 6);
    EXPECT_TRUE(report["tracks"][0]["test_crc32"].is_null());
    EXPECT_NE(report["tracks"][0]["crc32"], hex(sums[1].crc32));
    EXPECT_EQ(report["tracks"][0]["accuraterip"]["status"], "mismatch");

    for (const char* arguments :
         {"--mode turbo", "--mode", "--offset six", "--offset 99999", "--json extra"}) {
        result = cli("rip --format wav --out x --drive " + drive() + " " + arguments);
        EXPECT_EQ(result.status, 2) << arguments << "\n" << result.output;
    }
}

TEST_F(RipCliTest, UnusableSettingsEndTheRun) {
    writeSettings("[MP3 Options]\ndwSampleRate=\n");
    const auto result = cli("rip --format mp3 --out mp3 --drive " + drive());
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("Settings.ini not exist!  \n"), std::string::npos)
        << result.output;
    EXPECT_TRUE(files("mp3").empty());
}

}  // namespace
