#include "RipSupport.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "DriveList.h"

void RecordingObserver::note() {
    if (std::this_thread::get_id() != m_owner) onOwnerThread = false;
}

void RecordingObserver::captionChanged(const std::string& caption) {
    note();
    captions.push_back(caption);
}

void RecordingObserver::gaugeChanged(int value) {
    note();
    gauges.push_back(value);
    if (onGauge) onGauge(value);
}

void RecordingObserver::buttonChanged(RipButton button) {
    note();
    buttons.push_back(button);
}

void RecordingObserver::rowUnchecked(std::size_t row) {
    note();
    unchecked.push_back(row);
}

void RecordingObserver::showError(const std::string& text) {
    note();
    errors.push_back(text);
}

bool RecordingObserver::confirmCancel() {
    note();
    ++questions;
    return answerYes;
}

void RecordingObserver::closeWindow() {
    note();
    ++closes;
}

void RecordingObserver::openFolder(const std::string& folder) {
    note();
    foldersOpened.push_back(folder);
}

void RecordingObserver::settingsFailed() {
    note();
    ++settingsFailures;
}

void RecordingObserver::processEvents() {
    note();
    ++eventRounds;
    if (onProcessEvents) onProcessEvents();
}

void RecordingObserver::readingChanged(std::uint32_t rereadSectors,
                                       const std::vector<std::string>& unsettledPositions) {
    note();
    readings.emplace_back(rereadSectors, unsettledPositions);
}

void RecordingObserver::ripReported(const RipReport& report) {
    note();
    reports.push_back(report);
}

void RecordingObserver::progressChanged(const RipProgress& shown) {
    note();
    progress.push_back(shown);
    if (onProgress) onProgress(shown);
}

void RipFixture::SetUp() {
    std::filesystem::create_directory(m_temp.path() / "discs");
    std::filesystem::create_directory(out());
    quillon::cdrom::setDiscFolder(m_temp.path() / "discs");
    // Most tests follow the reads one by one, which fast mode makes plain; no test reaches
    // the real AccurateRip database (port 1 refuses at once).
    writeSetting("Reading", "mode", "fast");
    writeSetting("AccurateRip", "server", "127.0.0.1:1");
    // Most tests follow one track read and then encoded; the tests of several encoders ask
    // for them.
    writeSetting("Rip", "jobs", "1");
}

void RipFixture::TearDown() {
    m_job.reset();
    m_disc.close();
    quillon::cdrom::setDiscFolder({});
}

const DiscImage& RipFixture::insertDisc(const std::vector<int>& trackFrames, unsigned seed) {
    m_image = writeCueImage(m_temp.path() / "discs", "disc", trackFrames, seed);
    EXPECT_TRUE(m_disc.enumerateDrives());
    const auto& names = m_disc.driveNames();
    const auto at = std::find(names.begin(), names.end(), "disc.cue");
    EXPECT_NE(at, names.end());
    m_disc.selectDrive(static_cast<int>(at - names.begin()));
    return m_image;
}

void RipFixture::buildList(OutputFormat format) {
    ASSERT_EQ(buildTrackList(m_disc, m_list, format), "");
}

void RipFixture::writeSetting(const std::string& section, const std::string& key,
                              const std::string& value) {
    ASSERT_TRUE(m_settings.WriteString(section, key, value));
}

RipRequest RipFixture::request(OutputFormat format) {
    RipRequest request;
    request.tracks = &m_list;
    request.handle = m_disc.handle();
    request.toc = &m_disc.toc();
    request.format = format;
    request.outputFolder = out().string();
    request.settings = &m_settings;
    request.reader = m_reader;
    request.drive = m_drive;
    request.names = m_names;
    return request;
}

RipJob& RipFixture::job() {
    if (!m_job) m_job = std::make_unique<RipJob>(m_observer, m_events.poster());
    return *m_job;
}

void RipFixture::runJob(OutputFormat format) {
    job().start(request(format));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (m_job->working() && std::chrono::steady_clock::now() < deadline)
        m_events.runPending(std::chrono::milliseconds(50));
    ASSERT_FALSE(m_job->working()) << "the job did not end";
}

std::vector<std::uint8_t> RipFixture::trackAudio(std::size_t index) const {
    const std::size_t first = static_cast<std::size_t>(m_image.trackStarts[index]) * 2352;
    const std::size_t last = (index + 1 < m_image.trackStarts.size()
                                  ? static_cast<std::size_t>(m_image.trackStarts[index + 1])
                                  : static_cast<std::size_t>(m_image.leadOut)) *
                             2352;
    return {m_image.audio.begin() + static_cast<std::ptrdiff_t>(first),
            m_image.audio.begin() + static_cast<std::ptrdiff_t>(last)};
}

std::vector<std::string> RipFixture::outputFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(out())) {
        const auto extension = entry.path().extension();
        if (extension != ".log" && extension != ".cue")
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

std::optional<std::pair<Mp3Frame, std::size_t>> parseHeader(const std::uint8_t* data,
                                                            std::size_t size) {
    static const int kBitrates[15] = {0,   32,  40,  48,  56,  64,  80, 96,
                                      112, 128, 160, 192, 224, 256, 320};
    static const int kRates[3] = {44100, 48000, 32000};
    // MPEG-1 layer III only: the rip job's rates are all MPEG-1 rates.
    if (size < 4 || data[0] != 0xFF || (data[1] & 0xFE) != 0xFA) return std::nullopt;
    const int bitrateIndex = data[2] >> 4;
    const int rateIndex = (data[2] >> 2) & 3;
    if (bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return std::nullopt;
    Mp3Frame frame;
    frame.bitrate = kBitrates[bitrateIndex];
    frame.sampleRate = kRates[rateIndex];
    frame.crc = (data[1] & 1) == 0;
    frame.privateBit = (data[2] & 1) != 0;
    frame.mode = data[3] >> 6;
    frame.copyright = ((data[3] >> 3) & 1) != 0;
    frame.original = ((data[3] >> 2) & 1) != 0;
    const std::size_t length =
        static_cast<std::size_t>(144000 * frame.bitrate / frame.sampleRate) + ((data[2] >> 1) & 1);
    return std::make_pair(frame, length);
}

}  // namespace

std::vector<Mp3Frame> parseMp3Frames(const std::vector<std::uint8_t>& bytes) {
    std::vector<Mp3Frame> frames;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto header = parseHeader(bytes.data() + at, bytes.size() - at);
        if (!header || at + header->second > bytes.size()) {
            ADD_FAILURE() << "no whole frame at byte " << at << " of " << bytes.size();
            break;
        }
        frames.push_back(header->first);
        at += header->second;
    }
    return frames;
}

long long oggSampleCount(const std::string& path) {
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) return -1;
    const long long samples = ov_pcm_total(&file, -1);
    ov_clear(&file);
    return samples;
}
