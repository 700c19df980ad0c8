// quillon-batch-bench: times quillon-cli's batch conversion of a folder of eight WAV files
// (three minutes each by default) to Ogg Vorbis and to MP3, two files at a time, against the
// usual tools run two at a time by xargs -P 2: oggenc -q 2 and lame -b 128 --cbr. The two
// commands of each pair alternate; the medians and their ratio are printed. A missed target
// is reported, not failed; only a failing command or a missing tool fails the run.
//
// On paper: each file is one job, and the jobs share nothing but the disk, so with n files
// and c cores the batch takes about ceil(n / c) file times. What stays serial is walking the
// inputs and checking the names (milliseconds) and the longest file's own encoding, so the
// speed-up follows the core count until the files run out or the disk becomes the limit.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "RunCommand.h"
#include "Synth.h"

namespace fs = std::filesystem;
using namespace quillon::bench;

namespace {

const char* const kUsage =
    "Usage: quillon-batch-bench [--runs N] [--seconds S] [--cli PATH] [--work-dir DIR] [--keep]\n"
    "\n"
    "Times 'quillon-cli convert DIR --to ogg|mp3 --jobs 2' of eight WAV files against\n"
    "'xargs -P 2' running oggenc -q 2 or lame -b 128 --cbr on the same files, alternating the\n"
    "two sides, and prints the medians and their ratio.\n"
    "\n"
    "  --runs N        runs of each command (default 3, or $QUILLON_BENCH_RUNS)\n"
    "  --seconds S     length of each WAV file in seconds (default 180)\n"
    "  --cli PATH      the quillon-cli to time (default ../cli/quillon-cli next to this\n"
    "                  program)\n"
    "  --work-dir DIR  folder for the input and output files (default ../batch-bench-data\n"
    "                  next to this program); removed afterwards\n"
    "  --keep          leave the files in the work folder\n"
    "\n"
    "Exit status: 0 when everything ran (targets met or not), 1 when a command failed or a\n"
    "tool is missing, 2 for a wrong command line.\n";

const Program kProgram = {.name = "quillon-batch-bench",
                          .usage = kUsage,
                          .defaultRuns = 3,
                          .sizeFlag = "--seconds",
                          .sizeLow = 1,
                          .sizeHigh = 1200,
                          .defaultSize = 180,
                          .defaultWorkDir = "batch-bench-data"};

constexpr int kFiles = 8;
constexpr int kJobs = 2;
constexpr double kTarget = 1.05;

std::string fileName(int index) {
    return "music-" + std::to_string(index) + ".wav";
}

void runBench(const Options& options) {
    const Tools tools = findTools({"lame", "oggenc", "xargs", "sh"});
    requireCli(options.cli, tools.missing.empty()
                                ? ""
                                : "not found on PATH: " + commandLine(tools.missing) +
                                      " ('bash scripts/install-deps.sh' installs lame and "
                                      "vorbis-tools)");
    const std::string& lame = tools.paths[0];
    const std::string& oggenc = tools.paths[1];
    const std::string& xargs = tools.paths[2];
    const std::string& shell = tools.paths[3];

    MarkedWorkDir work(options.workDir, options.keep, kProgram.name);
    const fs::path& root = work.path();
    const fs::path inputs = root / "inputs";
    fs::create_directories(inputs);
    std::fprintf(stderr, "quillon-batch-bench: synthesizing %d files of %g s of stereo music\n",
                 kFiles, options.size);
    for (int i = 1; i <= kFiles; ++i)
        writeMusicWav((inputs / fileName(i)).string(), options.size, 44100, 2,
                      static_cast<unsigned>(i));
    const std::string cli = options.cli.string();

    // Each side writes into a folder of its own, emptied before each run; the last file shows
    // that it finished.
    const auto quillon = [&](const std::string& format, const std::vector<std::string>& extra) {
        const fs::path folder = root / ("q-" + format);
        std::vector<std::string> argv = {cli,
                                         "convert",
                                         inputs.string(),
                                         "--to",
                                         format,
                                         "--out",
                                         folder.string(),
                                         "--jobs",
                                         std::to_string(kJobs)};
        argv.insert(argv.end(), extra.begin(), extra.end());
        return Command{argv, (folder / ("music-" + std::to_string(kFiles) + "." + format)).string(),
                       (root / ("q-" + format + ".log")).string(), folder};
    };
    // xargs hands each file to one encoder, two at a time; sh names the output beside it.
    const auto reference = [&](const std::string& format, const std::string& encode) {
        const fs::path folder = root / ("r-" + format);
        const std::string script = "cd " + shellQuote(inputs.string()) + " && ls *.wav | " +
                                   shellQuote(xargs) + " -P " + std::to_string(kJobs) + " -I {} " +
                                   shellQuote(shell) + " -c '" + encode + "' - {} " +
                                   shellQuote((folder / "").string()) + "{}";
        return Command{{shell, "-c", "mkdir -p " + shellQuote(folder.string()) + " && " + script},
                       (folder / ("music-" + std::to_string(kFiles) + ".wav." + format)).string(),
                       (root / ("r-" + format + ".log")).string(),
                       folder};
    };
    // In the reference scripts $1 is the input and $2 its output path without the extension.
    const std::vector<Pair> pairs = {
        {"batch ogg", "xargs oggenc", quillon("ogg", {"--quality", "0.2"}),
         reference("ogg", oggenc + " -Q -q 2 -o \"$2.ogg\" \"$1\""), kTarget},
        {"batch mp3", "xargs lame", quillon("mp3", {"--bitrate", "128"}),
         reference("mp3", lame + " --quiet -b 128 --cbr \"$1\" \"$2.mp3\""), kTarget},
    };

    std::fprintf(stderr, "quillon-batch-bench: %d run(s) of each command\n", options.runs);
    const std::vector<Row> rows = timePairs(pairs, options.runs, 9);

    std::printf(
        "\nquillon-batch-bench: %d run(s) each, %d files of %g s of stereo 44.1 kHz "
        "16-bit, %d at a time\n",
        options.runs, kFiles, options.size, kJobs);
    printTable(rows, {.nameWidth = 9,
                      .referenceHeader = "reference",
                      .referenceWidth = 12,
                      .referenceWord = "reference"});
}

}  // namespace

int main(int argc, char** argv) {
    return benchMain(kProgram, argc, argv, runBench);
}
