// quillon-rip-bench: times quillon-cli rip of a generated 10-track disc image to WAV, MP3 and
// Ogg Vorbis against doing the same work with the usual tools: the tracks' audio cut out of the
// image with dd behind a WAV header, then encoded with lame -b 128 --cbr or oggenc -q 2. The
// two commands of each pair alternate; the medians and their ratio are printed. A missed
// target is reported, not failed; only a failing command or a missing tool fails the run.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ACS_Wave.h"
#include "AKRip32.h"
#include "DiscImages.h"
#include "DriveList.h"
#include "Process.h"
#include "Streams.h"

namespace fs = std::filesystem;

namespace {

const char* const kUsage =
    "Usage: quillon-rip-bench [--runs N] [--minutes M] [--cli PATH] [--work-dir DIR] [--keep]\n"
    "\n"
    "Times 'quillon-cli rip' of a generated 10-track disc image to WAV, MP3 and Ogg against\n"
    "cutting the tracks out of the image with dd and encoding them with lame -b 128 --cbr or\n"
    "oggenc -q 2, alternating the two sides, and prints the medians and their ratio.\n"
    "\n"
    "  --runs N        runs of each command (default 3, or $QUILLON_BENCH_RUNS)\n"
    "  --minutes M     length of the disc in minutes (default 40)\n"
    "  --cli PATH      the quillon-cli to time (default ../cli/quillon-cli next to this\n"
    "                  program)\n"
    "  --work-dir DIR  folder for the image and the ripped files (default ../rip-bench-data\n"
    "                  next to this program); removed afterwards\n"
    "  --keep          leave the files in the work folder\n"
    "\n"
    "Exit status: 0 when everything ran (targets met or not), 1 when a command failed or a\n"
    "tool is missing, 2 for a wrong command line.\n";

constexpr int kTracks = 10;
constexpr int kFramesPerRead = 25;  // dd's block: the rip job's read size
constexpr double kTarget = 1.05;

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct BenchFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    int runs = 3;
    double minutes = 40;
    fs::path cli;
    fs::path workDir;
    bool keep = false;
};

double parseNumber(const std::string& text, const std::string& name, double low, double high) {
    size_t used = 0;
    double value = 0;
    try {
        value = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || !(value >= low && value <= high))
        throw UsageError(name + " takes a number from " + std::to_string(int(low)) + " to " +
                         std::to_string(int(high)));
    return value;
}

fs::path programFolder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path() : self.parent_path();
}

std::optional<Options> parseOptions(const std::vector<std::string>& words) {
    Options options;
    if (const char* runs = std::getenv("QUILLON_BENCH_RUNS"); runs != nullptr && *runs != '\0')
        options.runs = static_cast<int>(parseNumber(runs, "QUILLON_BENCH_RUNS", 1, 1000));
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= words.size()) throw UsageError(word + " needs a value");
            return words[++i];
        };
        if (word == "--help" || word == "-h") return std::nullopt;
        if (word == "--runs")
            options.runs = static_cast<int>(parseNumber(value(), "--runs", 1, 1000));
        else if (word == "--minutes")
            options.minutes = parseNumber(value(), "--minutes", 1, 80);
        else if (word == "--cli")
            options.cli = fs::absolute(value());
        else if (word == "--work-dir")
            options.workDir = fs::absolute(value());
        else if (word == "--keep")
            options.keep = true;
        else
            throw UsageError("unknown argument " + word);
    }
    const fs::path here = programFolder();
    if (options.cli.empty()) options.cli = (here / ".." / "cli" / "quillon-cli").lexically_normal();
    if (options.workDir.empty())
        options.workDir = (here / ".." / "rip-bench-data").lexically_normal();
    return options;
}

// The work folder, removed with everything in it unless asked to keep it. A folder that exists
// beforehand is only taken over when an earlier run left its mark in it, so that nothing else
// is ever removed with it.
class WorkDir {
  public:
    WorkDir(fs::path folder, bool keep) : m_folder(std::move(folder)), m_keep(keep) {
        if (fs::exists(m_folder)) {
            if (!fs::exists(m_folder / kMark))
                throw BenchFailure(m_folder.string() + " exists; give another --work-dir");
            fs::remove_all(m_folder);
        }
        fs::create_directories(m_folder);
        std::ofstream(m_folder / kMark) << "made by quillon-rip-bench\n";
    }
    ~WorkDir() {
        std::error_code ignored;
        fs::current_path(m_folder.parent_path(), ignored);
        if (!m_keep) fs::remove_all(m_folder, ignored);
    }
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;
    const fs::path& path() const { return m_folder; }

  private:
    static constexpr const char* kMark = ".quillon-rip-bench";
    fs::path m_folder;
    bool m_keep;
};

struct Command {
    std::vector<std::string> argv;
    fs::path outputFolder;  // emptied before each run
    std::string lastFile;   // must exist and be non-empty afterwards
    std::string errorLog;
};

struct Pair {
    std::string name;
    std::string referenceName;
    Command quillon;
    Command reference;
};

std::string commandLine(const std::vector<std::string>& argv) {
    std::string line;
    for (const std::string& word : argv)
        line += (line.empty() ? "" : " ") + word;
    return line;
}

RunResult runChecked(const Command& command) {
    std::error_code ignored;
    fs::remove_all(command.outputFolder, ignored);
    fs::create_directories(command.outputFolder);
    const RunResult result = runQuiet(command.argv, command.errorLog);
    const auto failure = [&](const std::string& why) {
        const std::string messages = tailOfFile(command.errorLog);
        return BenchFailure(
            commandLine(command.argv) + "\n  " + why +
            (messages.empty() ? "; it printed nothing" : "; its messages:\n" + messages));
    };
    if (!result.succeeded()) throw failure("failed with " + result.describe());
    std::error_code error;
    if (fs::file_size(command.lastFile, error) == 0 || error)
        throw failure("wrote no output to " + command.lastFile);
    return result;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string trackName(int track) {
    char name[16];
    std::snprintf(name, sizeof name, "Track-%.2d", track);
    return name;
}

// The drive number quillon-cli gives the image: the machine's drives come first.
int imageDrive(const fs::path& discs) {
    quillon::cdrom::setDiscFolder(discs);
    CdDriveList list{};
    list.capacity = kCdMaxDrives;
    GetCDList(&list);
    quillon::cdrom::setDiscFolder({});
    for (int i = 0; i < list.count; ++i)
        if (std::string(list.drives[i].id) == "disc.cue") return i;
    throw BenchFailure("the generated image is not among the first eight drives");
}

// A shell script that cuts each track out of the image behind its WAV header, then runs
// `encode` (with IN and OUT in place) on each WAV file, if given.
std::string referenceScript(const DiscImage& image, const fs::path& headers, const fs::path& folder,
                            const std::string& encode, const std::string& extension) {
    std::string script = "set -e\n";
    for (int track = 1; track <= kTracks; ++track) {
        const auto start = image.trackStarts[static_cast<size_t>(track - 1)];
        const auto end =
            track < kTracks ? image.trackStarts[static_cast<size_t>(track)] : image.leadOut;
        const std::string wav = shellQuote((folder / (trackName(track) + ".wav")).string());
        script += "cat " + shellQuote((headers / (trackName(track) + ".hdr")).string()) + " > " +
                  wav + "\n";
        script += "dd status=none bs=" + std::to_string(kFramesPerRead * kCdFrameBytes) +
                  " if=" + shellQuote(image.data.string()) +
                  " skip=" + std::to_string(start / kFramesPerRead) +
                  " count=" + std::to_string((end - start) / kFramesPerRead) + " >> " + wav + "\n";
        if (!encode.empty()) {
            std::string line = encode;
            line.replace(line.find("IN"), 2, wav);
            line.replace(line.find("OUT"), 3,
                         shellQuote((folder / (trackName(track) + extension)).string()));
            script += line + "\n";
        }
    }
    return script;
}

void writeHeaders(const DiscImage& image, const fs::path& folder) {
    fs::create_directories(folder);
    for (int track = 1; track <= kTracks; ++track) {
        const auto start = image.trackStarts[static_cast<size_t>(track - 1)];
        const auto end =
            track < kTracks ? image.trackStarts[static_cast<size_t>(track)] : image.leadOut;
        FileStream header((folder / (trackName(track) + ".hdr")).string(),
                          FileStream::Mode::Create);
        WriteCdWaveHeader(header, std::int64_t{end - start} * kCdFrameBytes);
        header.close();
    }
}

int runBench(const Options& options) {
    const auto lame = findInPath("lame");
    const auto oggenc = findInPath("oggenc");
    const auto shell = findInPath("sh");
    std::string problems;
    if (::access(options.cli.c_str(), X_OK) != 0)
        problems += "quillon-cli not found at " + options.cli.string() +
                    " (build it with 'cmake --build build', or give --cli PATH)\n";
    if (!lame || !oggenc || !shell || !findInPath("dd"))
        problems +=
            "lame, oggenc, dd and sh are needed on PATH ('bash scripts/install-deps.sh' "
            "installs lame and vorbis-tools)\n";
    if (!problems.empty()) throw BenchFailure(problems.substr(0, problems.size() - 1));

    WorkDir work(options.workDir, options.keep);
    const fs::path& root = work.path();
    // Whole reads of 25 frames per track, so that dd cuts exactly the tracks.
    const int trackFrames =
        static_cast<int>(options.minutes * 60 * 75 / kTracks) / kFramesPerRead * kFramesPerRead;
    std::fprintf(stderr, "quillon-rip-bench: generating a %d-track disc image of %.1f minutes\n",
                 kTracks, trackFrames * kTracks / 75.0 / 60);
    fs::create_directories(root / "discs");
    const DiscImage image =
        writeCueImage(root / "discs", "disc", std::vector<int>(kTracks, trackFrames), 3);
    writeHeaders(image, root / "headers");
    // The rip job's default settings are the reference tools' options: 44100 Hz, 128 kbit/s
    // constant, and Ogg quality 0.2 (oggenc -q 2) without a pause between blocks.
    std::ofstream(root / "settings.ini")
        << "[MP3 Options]\ndwSampleRate=44100Hz\nwBitrate=128kb/s\n[Ogg Options]\ncpu=3\n"
           "compr=20\n";
    // quillon-cli finds the image and the settings in its working directory.
    fs::current_path(root);
    const std::string drive = std::to_string(imageDrive(root / "discs"));
    const std::string cli = options.cli.string();

    const auto quillon = [&](const std::string& format) {
        const fs::path folder = root / ("q-" + format);
        return Command{{cli, "rip", "--format", format, "--out", folder.string(), "--drive", drive},
                       folder,
                       (folder / (trackName(kTracks) + "." + format)).string(),
                       (root / ("q-" + format + ".log")).string()};
    };
    const auto reference = [&](const std::string& format, const std::string& encode) {
        const fs::path folder = root / ("r-" + format);
        return Command{
            {*shell, "-c", referenceScript(image, root / "headers", folder, encode, "." + format)},
            folder,
            (folder / (trackName(kTracks) + "." + format)).string(),
            (root / ("r-" + format + ".log")).string()};
    };
    const std::vector<Pair> pairs = {
        {"rip wav", "dd", quillon("wav"), reference("wav", "")},
        {"rip mp3", "dd+lame", quillon("mp3"),
         reference("mp3", shellQuote(*lame) + " --quiet -b 128 --cbr IN OUT")},
        {"rip ogg", "dd+oggenc", quillon("ogg"),
         reference("ogg", shellQuote(*oggenc) + " -Q -q 2 -o OUT IN")},
    };

    struct Row {
        const Pair* pair;
        std::vector<double> quillonWall, referenceWall, quillonCpu, referenceCpu, ratios;
    };
    std::vector<Row> rows;
    std::fprintf(stderr, "quillon-rip-bench: %d run(s) of each command\n", options.runs);
    for (const Pair& pair : pairs) {
        Row row{&pair, {}, {}, {}, {}, {}};
        // Alternate which side goes first, so that drift in the machine's state falls on both.
        for (int run = 0; run < options.runs; ++run) {
            RunResult q, r;
            if (run % 2 == 0) {
                q = runChecked(pair.quillon);
                r = runChecked(pair.reference);
            } else {
                r = runChecked(pair.reference);
                q = runChecked(pair.quillon);
            }
            row.quillonWall.push_back(q.wallSeconds);
            row.referenceWall.push_back(r.wallSeconds);
            row.quillonCpu.push_back(q.cpuSeconds);
            row.referenceCpu.push_back(r.cpuSeconds);
            row.ratios.push_back(q.wallSeconds / r.wallSeconds);
            std::fprintf(stderr, "  %-8s run %d/%d: quillon %.3f s, %s %.3f s\n", pair.name.c_str(),
                         run + 1, options.runs, q.wallSeconds, pair.referenceName.c_str(),
                         r.wallSeconds);
        }
        rows.push_back(std::move(row));
    }

    std::printf("\nquillon-rip-bench: %d run(s) each, %d tracks, %.1f minutes of CD audio\n",
                options.runs, kTracks, trackFrames * kTracks / 75.0 / 60);
    std::printf(
        "wall-clock medians in seconds; cpu = user + system; ratio = median of the\n"
        "per-run quillon/reference wall-clock ratios\n\n");
    std::printf("%-8s %-10s %9s %9s %9s %9s %7s %8s %4s\n", "pair", "reference", "quillon", "ref",
                "q cpu", "ref cpu", "ratio", "target", "met");
    for (const Row& row : rows) {
        const double ratio = median(row.ratios);
        std::printf("%-8s %-10s %9.3f %9.3f %9.3f %9.3f %7.3f   <=%.2f %4s\n",
                    row.pair->name.c_str(), row.pair->referenceName.c_str(),
                    median(row.quillonWall), median(row.referenceWall), median(row.quillonCpu),
                    median(row.referenceCpu), ratio, kTarget, ratio <= kTarget ? "yes" : "NO");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const auto options = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (!options) {
            std::cout << kUsage;
            return 0;
        }
        return runBench(*options);
    } catch (const UsageError& error) {
        std::cerr << "quillon-rip-bench: " << error.what() << "\nTry 'quillon-rip-bench --help'.\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "quillon-rip-bench: " << error.what() << "\n";
        return 1;
    }
}
