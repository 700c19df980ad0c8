// quillon-rip-bench: times quillon-cli rip of a generated 10-track disc image to WAV, MP3 and
// Ogg Vorbis against doing the same work with the usual tools: the tracks' audio cut out of the
// image with dd behind a WAV header, then encoded with lame -b 128 --cbr or oggenc -q 2. Those
// rips read in fast mode, which must cost no more than dd's copying; a secure rip to WAV is
// timed against cd-paranoia's verifying read of the same image, when cd-paranoia is installed.
// An MP3 rip with two encoders is timed against one encoder, and against cd-paranoia followed
// by lame on both cores. The two commands of each pair alternate; the medians and their ratio
// are printed. A missed
// target is reported, not failed; only a failing command or a missing tool fails the run.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ACS_Wave.h"
#include "AKRip32.h"
#include "BenchSupport.h"
#include "DiscImages.h"
#include "DriveList.h"
#include "Streams.h"

namespace fs = std::filesystem;
using namespace quillon::bench;

namespace {

const char* const kUsage =
    "Usage: quillon-rip-bench [--runs N] [--minutes M] [--cli PATH] [--work-dir DIR] [--keep]\n"
    "\n"
    "Times 'quillon-cli rip' of a generated 10-track disc image to WAV, MP3 and Ogg against\n"
    "cutting the tracks out of the image with dd and encoding them with lame -b 128 --cbr or\n"
    "oggenc -q 2, and a secure rip to WAV against 'cd-paranoia -d IMAGE -B' (when installed),\n"
    "a secure rip to FLAC against cd-paranoia and 'flac -5', and an Opus rip against dd and\n"
    "'opusenc --bitrate 160' (when installed), an MP3 rip with --jobs 2 against --jobs 1 and\n"
    "against cd-paranoia followed by 'xargs -P 2 lame',\n"
    "alternating the two sides, and prints the medians and their ratio.\n"
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

const Program kProgram = {.name = "quillon-rip-bench",
                          .usage = kUsage,
                          .defaultRuns = 3,
                          .sizeFlag = "--minutes",
                          .sizeLow = 1,
                          .sizeHigh = 80,
                          .defaultSize = 40,
                          .defaultWorkDir = "rip-bench-data"};

constexpr int kTracks = 10;
constexpr int kFramesPerRead = 25;  // dd's block: the rip job's read size
constexpr double kTarget = 1.05;
// Verifying every sector need not cost what cd-paranoia's verification costs.
constexpr double kSecureTarget = 0.5;
// A secure FLAC rip against cd-paranoia's read plus flac -5 of each track.
constexpr double kFlacTarget = 0.7;
// Two encoders on two cores against one; and against cd-paranoia then lame on both cores.
constexpr double kParallelTarget = 0.6;
constexpr double kParallelPipelineTarget = 0.65;

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
                          FileStream::Mode::create);
        WriteCdWaveHeader(header, std::int64_t{end - start} * kCdFrameBytes);
        header.close();
    }
}

// The rip with two encoders: against the same rip with one, and against cd-paranoia's
// verifying read followed by lame on both cores (xargs -P 2), read securely as cd-paranoia does.
void addParallelPairs(std::vector<Pair>& pairs, const DiscImage& image, const std::string& cli,
                      const std::string& drive, const std::string& lame, const std::string& shell) {
    const fs::path root = fs::current_path();
    const auto rip = [&](const std::string& folder, const std::string& jobs,
                         const std::string& mode) {
        const fs::path out = root / folder;
        return Command{{cli, "rip", "--format", "mp3", "--out", out.string(), "--drive", drive,
                        "--jobs", jobs, "--mode", mode},
                       (out / (trackName(kTracks) + ".mp3")).string(),
                       (root / (folder + ".log")).string(),
                       out};
    };
    pairs.push_back({"mp3 j2", "quillon --jobs 1", rip("q-mp3-j2", "2", "fast"),
                     rip("q-mp3-j1", "1", "fast"), kParallelTarget});
    const Tools paranoia = findTools({"cd-paranoia", "xargs"});
    if (!paranoia.missing.empty()) {
        std::fprintf(stderr,
                     "quillon-rip-bench: cd-paranoia or xargs is missing; the parallel "
                     "MP3 rip is not timed against them\n");
        return;
    }
    const fs::path out = root / "p-mp3";
    char last[40];
    std::snprintf(last, sizeof last, "track%.2d.cdda.wav.mp3", kTracks);
    pairs.push_back(
        {"mp3 j2s", "paranoia+lame -P2", rip("q-mp3-j2s", "2", "secure"),
         Command{{shell, "-c",
                  "set -e; cd " + shellQuote(out.string()) + " && " +
                      shellQuote(paranoia.paths[0]) + " -d " + shellQuote(image.sheet.string()) +
                      " -B && ls *.cdda.wav | " + shellQuote(paranoia.paths[1]) + " -P 2 -I{} " +
                      shellQuote(lame) + " --quiet -b 128 --cbr {} {}.mp3"},
                 (out / last).string(),
                 (root / "p-mp3.log").string(),
                 out},
         kParallelPipelineTarget});
}

void runBench(const Options& options) {
    const Tools tools = findTools({"lame", "oggenc", "sh", "dd"});
    requireCli(options.cli, tools.missing.empty()
                                ? ""
                                : "lame, oggenc, dd and sh are needed on PATH ('bash "
                                  "scripts/install-deps.sh' installs lame and vorbis-tools)");
    const std::string& lame = tools.paths[0];
    const std::string& oggenc = tools.paths[1];
    const std::string& shell = tools.paths[2];

    MarkedWorkDir work(options.workDir, options.keep, kProgram.name);
    const fs::path& root = work.path();
    // Whole reads of 25 frames per track, so that dd cuts exactly the tracks.
    const int trackFrames =
        static_cast<int>(options.size * 60 * 75 / kTracks) / kFramesPerRead * kFramesPerRead;
    std::fprintf(stderr, "quillon-rip-bench: generating a %d-track disc image of %.1f minutes\n",
                 kTracks, trackFrames * kTracks / 75.0 / 60);
    fs::create_directories(root / "discs");
    const DiscImage image =
        writeCueImage(root / "discs", "disc", std::vector<int>(kTracks, trackFrames), 3);
    writeHeaders(image, root / "headers");
    // The rip job's default settings are the reference tools' options: 44100 Hz, 128 kbit/s
    // constant, and Ogg quality 0.2 (oggenc -q 2) without a pause between blocks. Reads are
    // fast unless a pair says otherwise, and the AccurateRip lookup is refused at once: the
    // network is not what is timed.
    std::ofstream(root / "settings.ini")
        << "[MP3 Options]\ndwSampleRate=44100Hz\nwBitrate=128kb/s\n[Ogg Options]\ncpu=3\n"
           "compr=20\n[FLAC]\nlevel=5\n[Opus]\nbitrate=160\n[Reading]\nmode=fast\n"
           "[AccurateRip]\nserver=127.0.0.1:1\n";
    // quillon-cli finds the image and the settings in its working directory.
    fs::current_path(root);
    const std::string drive = std::to_string(imageDrive(root / "discs"));
    const std::string cli = options.cli.string();

    // Each side writes its tracks into a folder of its own; the last track shows it finished.
    const auto side = [&](const std::string& prefix, const std::string& format,
                          std::vector<std::string> argv) {
        const fs::path folder = root / (prefix + format);
        return Command{std::move(argv), (folder / (trackName(kTracks) + "." + format)).string(),
                       (root / (prefix + format + ".log")).string(), folder};
    };
    // One encoder: each track read, then encoded, as the reference scripts do.
    const auto quillon = [&](const std::string& format) {
        const std::string out = (root / ("q-" + format)).string();
        return side(
            "q-", format,
            {cli, "rip", "--format", format, "--out", out, "--drive", drive, "--jobs", "1"});
    };
    const auto reference = [&](const std::string& format, const std::string& encode) {
        const fs::path folder = root / ("r-" + format);
        return side(
            "r-", format,
            {shell, "-c", referenceScript(image, root / "headers", folder, encode, "." + format)});
    };
    std::vector<Pair> pairs = {
        {"rip wav", "dd", quillon("wav"), reference("wav", ""), kTarget},
        {"rip mp3", "dd+lame", quillon("mp3"),
         reference("mp3", shellQuote(lame) + " --quiet -b 128 --cbr IN OUT"), kTarget},
        {"rip ogg", "dd+oggenc", quillon("ogg"),
         reference("ogg", shellQuote(oggenc) + " -Q -q 2 -o OUT IN"), kTarget},
    };
    // cd-paranoia writes track01.cdda.wav and on into the folder it runs in.
    const Tools paranoia = findTools({"cd-paranoia"});
    if (paranoia.missing.empty()) {
        const fs::path secureOut = root / "q-secure";
        const fs::path paranoiaOut = root / "p-wav";
        char last[32];
        std::snprintf(last, sizeof last, "track%.2d.cdda.wav", kTracks);
        pairs.push_back({"secure", "cd-paranoia",
                         Command{{cli, "rip", "--format", "wav", "--out", secureOut.string(),
                                  "--drive", drive, "--mode", "secure"},
                                 (secureOut / (trackName(kTracks) + ".wav")).string(),
                                 (root / "q-secure.log").string(),
                                 secureOut},
                         Command{{shell, "-c",
                                  "cd " + shellQuote(paranoiaOut.string()) + " && exec " +
                                      shellQuote(paranoia.paths[0]) + " -d " +
                                      shellQuote(image.sheet.string()) + " -B"},
                                 (paranoiaOut / last).string(),
                                 (root / "p-wav.log").string(),
                                 paranoiaOut},
                         kSecureTarget});
    } else {
        std::fprintf(stderr,
                     "quillon-rip-bench: cd-paranoia is not installed ('bash "
                     "scripts/install-deps.sh' installs it); the secure rip is not "
                     "timed\n");
    }
    // The lossless rip: a secure rip to FLAC against cd-paranoia's verifying read followed by
    // flac -5 on each track it wrote; and Opus against dd and opusenc at the same bit rate.
    const Tools encoders = findTools({"cd-paranoia", "flac", "opusenc"});
    if (encoders.missing.empty()) {
        const fs::path secureOut = root / "q-flac";
        const fs::path paranoiaOut = root / "p-flac";
        char last[32];
        std::snprintf(last, sizeof last, "track%.2d.cdda.flac", kTracks);
        pairs.push_back(
            {"flac", "paranoia+flac",
             Command{{cli, "rip", "--format", "flac", "--out", secureOut.string(), "--drive", drive,
                      "--mode", "secure"},
                     (secureOut / (trackName(kTracks) + ".flac")).string(),
                     (root / "q-flac.log").string(),
                     secureOut},
             Command{{shell, "-c",
                      "set -e; cd " + shellQuote(paranoiaOut.string()) + " && " +
                          shellQuote(encoders.paths[0]) + " -d " +
                          shellQuote(image.sheet.string()) + " -B && exec " +
                          shellQuote(encoders.paths[1]) + " -s -5 --delete-input-file *.cdda.wav"},
                     (paranoiaOut / last).string(),
                     (root / "p-flac.log").string(),
                     paranoiaOut},
             kFlacTarget});
        pairs.push_back(
            {"rip opus", "dd+opusenc", quillon("opus"),
             reference("opus", shellQuote(encoders.paths[2]) + " --quiet --bitrate 160 IN OUT"),
             kTarget});
    } else {
        std::fprintf(stderr,
                     "quillon-rip-bench: cd-paranoia, flac or opusenc is missing ('bash "
                     "scripts/install-deps.sh' installs them); FLAC and Opus are not timed\n");
    }

    addParallelPairs(pairs, image, cli, drive, lame, shell);

    std::fprintf(stderr, "quillon-rip-bench: %d run(s) of each command\n", options.runs);
    const std::vector<Row> rows = timePairs(pairs, options.runs, 8);

    std::printf("\nquillon-rip-bench: %d run(s) each, %d tracks, %.1f minutes of CD audio\n",
                options.runs, kTracks, trackFrames * kTracks / 75.0 / 60);
    printTable(rows, {.nameWidth = 8,
                      .referenceHeader = "reference",
                      .referenceWidth = 14,
                      .referenceWord = "reference"});
}

}  // namespace

int main(int argc, char** argv) {
    return benchMain(kProgram, argc, argv, runBench);
}
