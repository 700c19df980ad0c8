// The rip job: copies the checked rows of the track list from the CD into WAV, MP3, Ogg
// Vorbis, FLAC or Opus files in the output folder, reading each track carefully (or fast, as the
// settings say), checksumming it and judging it by the AccurateRip database, and leaves a rip log
// and a cue sheet beside the files.
//
// The job runs on its owner's thread (the rip window's UI thread, or quillon-cli's main
// thread). WAV and MP3 are done inside start(), which calls RipObserver::processEvents() after
// every CD read and every encoded chunk so that the window stays live and its Cancel button
// can call buttonClicked() from within. Ogg, FLAC and Opus tracks are ripped inside start()
// and then converted by the format's sink on its worker thread; its progress and completion reports
// are handed to the owner's thread through the `post` function the owner supplies, and the job goes
// on with the next track from there. Nothing of the job runs on the worker. The AccurateRip lookup
// runs on a thread of its own from the start of the rip, touching only its own copies of the
// server and the disc's ids; the job collects its answer at the end, processing events while
// it waits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ACS_FLAC.h"
#include "ACS_Opus.h"
#include "ACS_Vorbis.h"
#include "ACS_Wave.h"
#include "AKRip32.h"
#include "AccurateRipParse.h"
#include "Disc.h"
#include "DiscMetadata.h"
#include "IniFile.h"
#include "RipEncoders.h"
#include "RipReport.h"
#include "RipSettings.h"
#include "SectorReader.h"
#include "TrackList.h"

enum class RipButton { cancel, close };

// Where a rip with several encoders stands: the track the drive is reading, every track an
// encoder is working on, and the whole disc (reading and encoding of every checked track,
// weighted by length).
struct RipProgress {
    struct Track {
        std::size_t row = 0;
        std::string caption;  // the row's caption ("01", "02", ...)
        std::string name;     // the row's file name
        int percent = 0;      // 0 to 100
    };
    std::optional<Track> reading;  // none once every track is read
    std::vector<Track> encoding;   // in row order
    std::vector<Track> finished;   // the tracks whose files are done, in the order they ended
    int discPercent = 0;           // 0 to 100
};

// What the rip window (or quillon-cli) does for the job. Every call comes on the owner's
// thread.
class RipObserver {
  public:
    virtual ~RipObserver() = default;
    virtual void captionChanged(const std::string& caption) = 0;
    virtual void gaugeChanged(int value) = 0;
    virtual void buttonChanged(RipButton button) = 0;
    // The job cleared the row's check mark in the track list.
    virtual void rowUnchecked(std::size_t row) = 0;
    // A message box with an error icon and an OK button.
    virtual void showError(const std::string& text) = 0;
    // "Cancel or not?", a Yes/No question titled "Quillon"; true for Yes.
    virtual bool confirmCancel() = 0;
    // The job closes the rip window itself.
    virtual void closeWindow() = 0;
    // Open the folder with the desktop's file manager, ignoring any failure.
    virtual void openFolder(const std::string& folder) = 0;
    // The settings cannot be used: message box kSettingsFailure titled "Error", then the
    // process ends.
    virtual void settingsFailed() = 0;
    // Handle the window's pending events.
    virtual void processEvents() = 0;
    // The careful reading of the current track so far: sectors re-read and the positions
    // (mm:ss.ff) it could not settle.
    virtual void readingChanged(std::uint32_t rereadSectors,
                                const std::vector<std::string>& unsettledPositions) {
        (void)rereadSectors;
        (void)unsettledPositions;
    }
    // The job is over (finished, cancelled or failed) and this is what it found.
    virtual void ripReported(const RipReport& report) { (void)report; }
    // A rip with several encoders moved on; the single-encoder rip never calls this.
    virtual void progressChanged(const RipProgress& progress) { (void)progress; }
};

// What the main window hands the job when the rip window is shown.
struct RipRequest {
    TrackList* tracks = nullptr;  // rows are read, and unchecked after an encoded conversion
    CdHandle handle = 0;
    const CdToc* toc = nullptr;  // row k rips the track at table position k
    OutputFormat format = OutputFormat::mp3;
    std::string outputFolder;
    const TIniFile* settings = nullptr;  // read at each start
    // The drive's identification text from the drive list: the rip log names it, and its own
    // read offset is stored under its model.
    std::string drive;
    const DiscMetadata* names = nullptr;  // the disc's names for the report, when known
    // Where the disc's sectors come from; null means the drive behind `handle`.
    quillon::secureread::SectorReader* reader = nullptr;
    // Given on the command line, these win over the settings.
    std::optional<RipReadMode> mode;
    std::optional<std::int32_t> offset;
    std::optional<bool> test;
    // Encoders at work at once, 0 meaning one per core; without it, [Rip] jobs decides.
    std::optional<int> jobs;
};

enum class RipOutcome {
    none,            // not started, or still working
    finished,        // every checked row was done
    cancelled,       // the user cancelled
    failed,          // an error was shown
    settingsFailed,  // settingsFailed() was called; nothing was done
};

// A track read for an encoder waits in "<output file><suffix>" beside its output.
inline constexpr const char* kRipTemporarySuffix = ".convert";

// Texts of the window caption.
inline constexpr const char* kRipIdleCaption = "Quillon";
inline constexpr const char* kRipFinishedCaption = "Finished!";
// "Processing:" + caption + " (" + name + ")".
std::string processingCaption(const TrackRow& row);

class RipJob {
  public:
    using Post = std::function<void(std::function<void()>)>;

    // `post` runs a function on the owner's thread later, in the order posted; it is called
    // from the encoding sink's worker thread.
    RipJob(RipObserver& observer, Post post);
    // Abandons a conversion under way.
    ~RipJob();
    RipJob(const RipJob&) = delete;
    RipJob& operator=(const RipJob&) = delete;

    // The activation of the rip window: clears the cancel flag, reads the settings, sets the
    // caption "Quillon" and runs the pass of the request's format. Ignored while working.
    void start(const RipRequest& request);
    // The Cancel/Close button: asks whether to cancel while work is under way; closes the
    // window (and opens the output folder when the settings say so) once it reads "Close".
    void buttonClicked();

    // From start() until the job is over (for the encoded formats, until the last conversion is
    // handled).
    bool working() const { return m_working; }
    RipOutcome outcome() const { return m_outcome; }
    RipButton button() const { return m_button; }
    const std::string& caption() const { return m_caption; }
    int gauge() const { return m_gauge; }

  private:
    void wavPass();
    void mp3Pass();
    // Ogg, FLAC and Opus: each track ripped to a temporary WAV, then encoded by the sink.
    void sinkPass();
    // Any encoded format with several encoders: the tracks are read one after another while
    // the encoders work through the ones already read.
    void parallelPass(int jobs);
    // Takes in what the encoders finished and shows where the rip stands.
    void followEncoders();
    void collectEncoders();
    void publishProgress();
    // How many encoders the rip uses: 1 keeps to reading and encoding in turn.
    int encoderCount() const;
    // The sink of the request's format, set up for the next track.
    TACSOutput& prepareSink(const std::string& output, std::size_t index);
    void sinkProgress(int progress);
    void sinkDone();

    // The first checked row at or after `from`; the row count when there is none.
    std::size_t nextChecked(std::size_t from) const;
    // Shows the row as the one in work: its caption, and Cancel on the button.
    const TrackRow& startRow(std::size_t index);
    // Ends a WAV or MP3 pass, cancelled or done.
    void endPass();
    // Rips row `index` to path (the output file `output` in the end); false when the reading
    // failed, with the reason in m_readError.
    bool ripRow(std::size_t index, const std::string& path, const std::string& output,
                int gaugeSpan);
    void fail(const std::string& message);
    // Marks what became of the track last ripped, when the job learns it after the reading.
    void markLastTrack(TrackRipReport::Outcome outcome, const std::string& error = {});
    void markTrack(std::size_t report, TrackRipReport::Outcome outcome,
                   const std::string& error = {});
    // Everything the rip needs before its first track: the reading settings, the disc's
    // reader and layout, and the AccurateRip lookup started in the background.
    void prepareReading();
    // Judges the tracks, writes the rip log and cue sheet, and hands the report over.
    void reportRip();
    void writeBesideFiles();
    // The tags of the file of row `index`, from the disc's names; empty without names.
    TrackTags trackTags(std::size_t index) const;
    void finish();
    void end(RipOutcome outcome);
    void setCaption(const std::string& caption);
    void setGauge(int value);
    void setButton(RipButton button);
    void afterStep(int gauge);

    RipObserver& m_observer;
    Post m_post;
    std::shared_ptr<char> m_alive = std::make_shared<char>();  // posted work checks it

    RipRequest m_request;
    RipSettings m_settings;
    ReadingSettings m_reading;

    // The rip's reading and what it found.
    std::unique_ptr<quillon::secureread::SectorReader> m_driveReader;
    quillon::secureread::SectorReader* m_reader = nullptr;
    std::optional<quillon::cdrom::DiscLayout> m_layout;
    std::uint32_t m_leadOut = 0;
    std::future<quillon::accuraterip::Lookup> m_lookup;
    RipReport m_report;
    std::vector<int> m_slots;    // per reported track: its slot in the AccurateRip entry, or -1
    bool m_fileCreated = false;  // the last row's copy pass created its file
    std::string m_readError;     // why the last row's reading failed
    std::uint32_t m_shownRereads = 0;
    std::size_t m_shownUnsettled = 0;
    bool m_cancel = false;
    bool m_working = false;
    RipOutcome m_outcome = RipOutcome::none;
    RipButton m_button = RipButton::cancel;
    std::string m_caption = kRipIdleCaption;
    int m_gauge = 0;

    // The conversion under way in the Ogg sink.
    std::optional<std::size_t> m_convertingRow;
    std::string m_convertingTemp;
    std::string m_convertingOutput;

    TWaveIn m_waveIn;        // WaveIn1; declared before the sink, which reads from it
    TVorbisOut m_vorbisOut;  // VorbisOut1
    TFlacOut m_flacOut;
    TOpusOut m_opusOut;
    TACSOutput* m_sink = nullptr;  // the one converting, while m_convertingRow is set

    // A rip with several encoders: the tracks handed to them, in the order read.
    struct Handed {
        std::size_t row = 0;
        std::size_t report = 0;  // its place in m_report.tracks
        std::uint32_t frames = 0;
        bool ended = false;  // its end was taken in
    };
    std::unique_ptr<RipEncoders> m_encoders;
    std::vector<Handed> m_handed;
    std::vector<std::size_t> m_finishedRows;  // in the order their files were done
    std::optional<std::size_t> m_readingRow;
    std::uint64_t m_discFrames = 0;  // of every checked row
    std::uint64_t m_framesRead = 0;  // of the rows read to the end
    std::string m_encodeError;       // the first encoding that failed
    std::optional<RipProgress> m_shownProgress;
};
