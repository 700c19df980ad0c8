// What the rip core tests share: a disc image in a temporary disc folder opened as the main
// window opens it, a settings file, and an observer that records what the job reports.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "DiscImages.h"
#include "DiscSession.h"
#include "EventQueue.h"
#include "IniFile.h"
#include "RipUnit.h"
#include "TestFiles.h"
#include "TrackList.h"

// Records every report of the job; hooks let a test click the button at a chosen moment.
class RecordingObserver : public RipObserver {
  public:
    void captionChanged(const std::string& caption) override;
    void gaugeChanged(int value) override;
    void buttonChanged(RipButton button) override;
    void rowUnchecked(std::size_t row) override;
    void showError(const std::string& text) override;
    bool confirmCancel() override;
    void closeWindow() override;
    void openFolder(const std::string& folder) override;
    void settingsFailed() override;
    void processEvents() override;
    void readingChanged(std::uint32_t rereadSectors,
                        const std::vector<std::string>& unsettledPositions) override;
    void ripReported(const RipReport& report) override;
    void progressChanged(const RipProgress& progress) override;

    std::vector<std::string> captions;
    std::vector<int> gauges;
    std::vector<RipButton> buttons;
    std::vector<std::size_t> unchecked;
    std::vector<std::string> errors;
    std::vector<std::string> foldersOpened;
    int questions = 0;
    int closes = 0;
    int settingsFailures = 0;
    int eventRounds = 0;
    std::vector<std::pair<std::uint32_t, std::vector<std::string>>> readings;
    std::vector<RipReport> reports;
    std::vector<RipProgress> progress;
    bool answerYes = true;
    // Whether every report came on the thread that created the observer.
    bool onOwnerThread = true;

    std::function<void()> onProcessEvents;
    std::function<void(int)> onGauge;
    std::function<void(const RipProgress&)> onProgress;

  private:
    void note();
    std::thread::id m_owner = std::this_thread::get_id();
};

class RipFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the image into the disc folder and opens it as the selected drive.
    const DiscImage& insertDisc(const std::vector<int>& trackFrames, unsigned seed = 1);
    // Builds the track list from the open disc.
    void buildList(OutputFormat format);
    void writeSetting(const std::string& section, const std::string& key, const std::string& value);
    // Starts the job (made on first use) and runs it to its end, handing the Ogg sink's
    // reports over through the event queue.
    void runJob(OutputFormat format);
    RipJob& job();
    RipRequest request(OutputFormat format);

    std::filesystem::path out() const { return m_temp.path() / "out"; }
    std::string outFile(const std::string& name) const { return (out() / name).string(); }
    // The image's audio of track `index` (0-based).
    std::vector<std::uint8_t> trackAudio(std::size_t index) const;
    // The file names in the output folder, sorted, without the rip log and cue sheet.
    std::vector<std::string> outputFiles() const;

    TempDir m_temp;
    DiscImage m_image;
    // The disc's sectors for the job; null: the image through the drive's handle.
    quillon::secureread::SectorReader* m_reader = nullptr;
    std::string m_drive;                    // the request's drive text
    const DiscMetadata* m_names = nullptr;  // the request's disc names
    DiscSession m_disc;
    TrackList m_list;
    TIniFile m_settings{(m_temp.path() / "settings.ini").string()};
    RecordingObserver m_observer;
    EventQueue m_events;  // the owner thread's queue: this test's thread
    std::unique_ptr<RipJob> m_job;
};

// The frames of an MPEG audio layer III stream: each header's rate, bit rate, mode and flags.
struct Mp3Frame {
    int sampleRate = 0;
    int bitrate = 0;
    int mode = 0;
    bool crc = false, copyright = false, original = false, privateBit = false;
};
// Every frame of a stream made of whole frames only; a failure when it is not one.
std::vector<Mp3Frame> parseMp3Frames(const std::vector<std::uint8_t>& bytes);
// The PCM samples per channel of an Ogg Vorbis file, or -1 when it does not decode.
long long oggSampleCount(const std::string& path);
