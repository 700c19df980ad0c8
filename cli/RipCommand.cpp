// quillon-cli rip: the rip job of the main window, from the command line. It reads
// the settings file the program uses (UserPaths.h) and drives the same job code.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "CddbLookup.h"
#include "CliSupport.h"
#include "DiscSession.h"
#include "EventQueue.h"
#include "IniFile.h"
#include "JobSettings.h"
#include "RipNaming.h"
#include "RipReportText.h"
#include "RipSettings.h"
#include "RipUnit.h"
#include "TrackList.h"
#include "UserPaths.h"

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void ripInterruptHandler(int) {
    g_interrupted = true;
}

// Text from a server is printed as it is, except for control characters.
std::string printable(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

OutputFormat parseFormat(const std::optional<std::string>& text) {
    if (!text) throw UsageError("rip needs --format wav, mp3, ogg, flac or opus");
    if (*text == "wav") return OutputFormat::wav;
    if (*text == "mp3") return OutputFormat::mp3;
    if (*text == "ogg") return OutputFormat::ogg;
    if (*text == "flac") return OutputFormat::flac;
    if (*text == "opus") return OutputFormat::opus;
    throw UsageError("--format takes wav, mp3, ogg, flac or opus");
}

int parseTrackNumber(const std::string& text) {
    const bool digits =
        !text.empty() && text.size() <= 3 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) throw UsageError("--tracks takes track numbers and ranges such as 1,3-5");
    return std::stoi(text);
}

// "1,3-5" as a set of track numbers.
std::set<int> parseTrackList(const std::string& text) {
    std::set<int> tracks;
    size_t at = 0;
    while (at <= text.size()) {
        const size_t comma = std::min(text.find(',', at), text.size());
        const std::string item = text.substr(at, comma - at);
        const size_t dash = item.find('-');
        const int first = parseTrackNumber(item.substr(0, dash));
        const int last =
            dash == std::string::npos ? first : parseTrackNumber(item.substr(dash + 1));
        if (last < first) throw UsageError("--tracks: " + item + " is not a rising range");
        for (int track = first; track <= last; ++track)
            tracks.insert(track);
        at = comma + 1;
    }
    return tracks;
}

// Checks exactly the rows of the listed tracks.
void checkTracks(TrackList& list, const std::set<int>& tracks) {
    std::set<int> onDisc;
    for (size_t index = 0; index < list.size(); ++index) {
        TrackRow& row = list.row(index);
        const int number = std::stoi(row.caption);
        onDisc.insert(number);
        row.checked = tracks.count(number) != 0;
    }
    for (const int track : tracks)
        if (onDisc.count(track) == 0)
            throw UsageError("--tracks: the disc has no track " + std::to_string(track));
}

class CliRipObserver : public RipObserver {
  public:
    void setJob(RipJob* job) { m_job = job; }

    void captionChanged(const std::string& caption) override {
        if (caption == kRipIdleCaption) return;
        endBar();
        std::cerr << printable(caption) << "\n";
    }
    void gaugeChanged(int value) override {
        // With several encoders the status line of progressChanged takes the bar's place.
        if (!m_showBar || m_parallel) return;
        constexpr int width = 40;
        std::string bar(static_cast<size_t>(std::clamp(value, 0, 100) * width / 100), '#');
        bar.resize(width, '.');
        std::fprintf(stderr, "\r[%s] %3d%%", bar.c_str(), std::clamp(value, 0, 100));
        std::fflush(stderr);
        m_barShown = true;
        m_statusWidth = width + 7;
    }
    void buttonChanged(RipButton) override {}
    void rowUnchecked(std::size_t) override {}
    void showError(const std::string& text) override {
        endBar();
        std::cerr << "quillon-cli: " << printable(text) << "\n";
    }
    bool confirmCancel() override { return true; }
    void closeWindow() override {}
    void openFolder(const std::string&) override {}
    void settingsFailed() override {
        endBar();
        std::cerr << "quillon-cli: " << kSettingsFailure << "\n";
    }
    void processEvents() override { cancelOnInterrupt(); }
    void ripReported(const RipReport& report) override { m_report = report; }
    void progressChanged(const RipProgress& progress) override {
        m_parallel = true;
        if (m_showBar) {
            drawStatusLine(progress);
        } else {
            // A log gets one line per track done, not a line per report.
            for (std::size_t i = m_finishedShown; i < progress.finished.size(); ++i)
                std::cerr << "Encoded " << printable(progress.finished[i].caption) << " "
                          << printable(progress.finished[i].name) << "\n";
        }
        m_finishedShown = progress.finished.size();
    }

    const std::optional<RipReport>& report() const { return m_report; }

    // Ctrl+C is the Cancel button, answered with Yes.
    void cancelOnInterrupt() {
        if (g_interrupted && !m_cancelSent && m_job && m_job->button() == RipButton::cancel) {
            m_cancelSent = true;
            m_job->buttonClicked();
        }
    }
    void endBar() {
        if (m_barShown) std::fputc('\n', stderr);
        m_barShown = false;
        m_statusWidth = 0;
    }

  private:
    // "[reading 03 45%] [encoding 01 80% 02 30%] disc 34%" over the last status line.
    void drawStatusLine(const RipProgress& progress) {
        auto percent = [](int value) { return std::to_string(std::clamp(value, 0, 100)) + "%"; };
        std::string line = "[reading ";
        line += progress.reading ? printable(progress.reading->caption) + " " +
                                       percent(progress.reading->percent)
                                 : std::string("done");
        line += "]";
        if (!progress.encoding.empty()) {
            line += " [encoding";
            for (const RipProgress::Track& track : progress.encoding)
                line += " " + printable(track.caption) + " " + percent(track.percent);
            line += "]";
        }
        line += " disc " + percent(progress.discPercent);
        // One terminal line, cut where a UTF-8 character starts.
        constexpr std::size_t kColumns = 100;
        if (line.size() > kColumns) {
            std::size_t cut = kColumns;
            while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
                --cut;
            line.resize(cut);
        }
        // Blanks over what is left of a longer line before.
        const std::size_t drawn = line.size();
        if (drawn < m_statusWidth) line.append(m_statusWidth - drawn, ' ');
        m_statusWidth = drawn;
        std::fprintf(stderr, "\r%s", line.c_str());
        std::fflush(stderr);
        m_barShown = true;
    }

    RipJob* m_job = nullptr;
    bool m_showBar = ::isatty(STDERR_FILENO) != 0;
    bool m_barShown = false;
    bool m_parallel = false;          // the job reports several encoders' progress
    std::size_t m_statusWidth = 0;    // bytes of the last status line
    std::size_t m_finishedShown = 0;  // finished tracks already said
    bool m_cancelSent = false;
    std::optional<RipReport> m_report;
};

RipReadMode parseMode(const std::string& text) {
    if (text == "fast") return RipReadMode::fast;
    if (text == "secure") return RipReadMode::secure;
    throw UsageError("--mode takes fast or secure");
}

// Fills the list, and the disc's names when CDDB knows them.
void fillTrackList(DiscSession& disc, TrackList& list, OutputFormat format, bool cddb,
                   const TIniFile& settings, DiscMetadata& names) {
    if (!cddb) {
        const std::string status = buildTrackList(disc, list, format);
        if (!status.empty()) throw std::runtime_error(status);
        return;
    }
    std::string lastStatus;
    const CddbLookupResult result =
        cddbLookup(disc, list, format, readCddbSettings(settings),
                   [&](const std::string& status) { lastStatus = status; });
    using Outcome = CddbLookupResult::Outcome;
    switch (result.outcome) {
        case Outcome::noHandle:
        case Outcome::noToc:
            throw std::runtime_error(lastStatus);
        case Outcome::noServerList:
        case Outcome::noMatch:
        case Outcome::noEntry:
            std::cerr << "quillon-cli: " << (result.message.empty() ? lastStatus : result.message)
                      << " The files keep their Track-NN names.\n";
            return;
        case Outcome::named:
            names.source = DiscMetadata::Source::cddb;
            names.artist = result.info->artist;
            names.album = result.info->title;
            std::cerr << "Disc ID   " << printable(result.info->id) << "\n"
                      << "Artist    " << printable(result.info->artist) << "\n"
                      << "Title     " << printable(result.info->title) << "\n"
                      << "Category  " << printable(result.info->type) << "\n";
            return;
    }
}

}  // namespace

int ripCommand(const std::vector<std::string>& words) {
    std::vector<std::string> valued = {"--format", "--out",    "--drive", "--tracks",
                                       "--mode",   "--offset", "--jobs"};
    valued.insert(valued.end(), kRipNamingOptions.begin(), kRipNamingOptions.end());
    const Arguments arguments(words, valued, {"--cddb", "--test", "--json"});
    if (!arguments.positional().empty())
        throw UsageError("unexpected argument " + arguments.positional().front());
    const OutputFormat format = parseFormat(arguments.value("--format"));
    const auto folder = arguments.value("--out");
    if (!folder || folder->empty()) throw UsageError("rip needs --out DIR");
    const auto drivePath = drivePathArgument(arguments);
    const int drive = drivePath ? 0 : arguments.integer("--drive", 0, 0, kCdMaxDrives - 1);
    std::optional<std::set<int>> tracks;
    if (const auto list = arguments.value("--tracks")) tracks = parseTrackList(*list);
    std::optional<RipReadMode> mode;
    if (const auto text = arguments.value("--mode")) mode = parseMode(*text);
    std::optional<std::int32_t> offset;
    if (arguments.value("--offset"))
        offset = arguments.integer("--offset", 0, -kMaxReadOffset, kMaxReadOffset);

    std::optional<int> jobs;
    if (arguments.value("--jobs")) jobs = arguments.integer("--jobs", 0, 0, kMaxJobs);

    const TIniFile settings(quillon::paths::settingsFile().string());
    DiscSession disc;
    if (!disc.enumerateDrives()) throw std::runtime_error("no CD drive or disc image found");
    if (drivePath && !disc.selectDrivePath(*drivePath))
        throw UsageError("--drive " + *drivePath + ": no such drive or disc image");
    if (!drivePath && !disc.selectDrive(drive))
        throw UsageError("--drive " + std::to_string(drive) + ": there are only " +
                         std::to_string(disc.driveNames().size()) + " drives");
    TrackList list;
    DiscMetadata names;
    const bool lookUp = ripNamesFromSources(arguments, settings);
    fillTrackList(disc, list, format, arguments.has("--cddb") && !lookUp, settings, names);
    if (lookUp) names = nameRipTracks(arguments, disc, list, format, settings);
    if (tracks) checkTracks(list, *tracks);
    if (!list.anyChecked()) throw std::runtime_error("no track to rip");

    std::error_code error;
    std::filesystem::create_directories(*folder, error);
    if (!std::filesystem::is_directory(*folder))
        throw std::runtime_error("cannot create the folder " + *folder);

    EventQueue events;
    CliRipObserver observer;
    RipJob job(observer, events.poster());
    observer.setJob(&job);
    g_interrupted = false;
    auto previous = std::signal(SIGINT, ripInterruptHandler);
    RipRequest request;
    request.tracks = &list;
    request.handle = disc.handle();
    request.toc = &disc.toc();
    request.format = format;
    request.outputFolder = *folder;
    request.settings = &settings;
    const int selected = disc.selectedDrive();
    if (selected >= 0 && static_cast<std::size_t>(selected) < disc.driveNames().size())
        request.drive = disc.driveNames()[static_cast<std::size_t>(selected)];
    request.names = &names;
    request.mode = mode;
    request.offset = offset;
    if (arguments.has("--test")) request.test = true;
    request.jobs = jobs;
    job.start(request);
    while (job.working()) {
        events.runPending(std::chrono::milliseconds(100));
        observer.cancelOnInterrupt();
    }
    std::signal(SIGINT, previous);
    observer.endBar();

    // The report goes to stdout in every case, so that a script learns what was done.
    const auto& report = observer.report();
    if (report)
        std::cout << (arguments.has("--json") ? ripReportJson(*report) : ripResultLines(*report));
    std::cout.flush();

    switch (job.outcome()) {
        case RipOutcome::finished:
            if (lookUp) writeRipPlaylist(*folder, list, names, disc);
            // Unsettled sectors are in the files as the drive gave them most often: not a
            // rip to trust, so not a success.
            return report && !everyTrackSettled(*report) ? 1 : 0;
        case RipOutcome::cancelled:
            std::cerr << "quillon-cli: cancelled; the unfinished file was removed\n";
            return 130;
        case RipOutcome::none:
        case RipOutcome::failed:
        case RipOutcome::settingsFailed:
            break;
    }
    return 1;
}
