// quillon-bench: times quillon-cli against the usual command-line tools for the same work,
// side by side on the same synthesized music, and prints the median times and their ratio.
// It measures; a missed target is reported, not failed. Only a command that fails or a tool
// that is missing makes the exit status non-zero.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "Synth.h"

namespace fs = std::filesystem;
using namespace quillon::bench;

namespace {

const char* const kUsage =
    "Usage: quillon-bench [--runs N] [--seconds S] [--cli PATH] [--work-dir DIR] [--keep]\n"
    "\n"
    "Times quillon-cli against lame, oggenc, oggdec and sox on synthesized stereo music,\n"
    "alternating the two commands of each pair, and prints the medians and their ratio.\n"
    "\n"
    "  --runs N        runs of each command (default 5, or $QUILLON_BENCH_RUNS); 1 for a\n"
    "                  quick smoke run\n"
    "  --seconds S     length of the synthesized input in seconds (default 300)\n"
    "  --cli PATH      the quillon-cli to time (default ../cli/quillon-cli next to this\n"
    "                  program)\n"
    "  --work-dir DIR  folder for the input and output files (default ../bench-data next to\n"
    "                  this program); the files are removed afterwards\n"
    "  --keep          leave the files in the work folder\n"
    "\n"
    "Exit status: 0 when everything ran (targets met or not), 1 when a command failed or a\n"
    "tool is missing, 2 for a wrong command line.\n";

const Program kProgram = {.name = "quillon-bench",
                          .usage = kUsage,
                          .defaultRuns = 5,
                          .sizeFlag = "--seconds",
                          .sizeLow = 1,
                          .sizeHigh = 3600,
                          .defaultSize = 300,
                          .defaultWorkDir = "bench-data",
                          .wholeRuns = true,
                          .absolutePaths = false};

constexpr int kRate = 44100;
constexpr int kChannels = 2;

// The work folder and the files written into it; removes those files (and the folder, once
// empty) when it goes, unless asked to keep them. Only its own files, so that pointing
// --work-dir at a folder in use does no harm.
class WorkDir {
  public:
    WorkDir(fs::path folder, bool keep) : m_folder(std::move(folder)), m_keep(keep) {
        fs::create_directories(m_folder);
    }
    ~WorkDir() {
        if (m_keep) return;
        std::error_code ignored;
        for (const fs::path& file : m_files)
            fs::remove(file, ignored);
        fs::remove(m_folder, ignored);  // fails harmlessly when something else is in it
    }
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;

    std::string file(const std::string& name) {
        const fs::path path = m_folder / name;
        if (std::find(m_files.begin(), m_files.end(), path) == m_files.end())
            m_files.push_back(path);
        return path.string();
    }

  private:
    fs::path m_folder;
    bool m_keep;
    std::vector<fs::path> m_files;
};

void runBench(const Options& options) {
    const Tools tools = findTools({"lame", "oggenc", "oggdec", "sox"});
    requireCli(options.cli, tools.missing.empty()
                                ? ""
                                : "not found on PATH: " + commandLine(tools.missing) +
                                      " ('bash scripts/install-deps.sh' installs lame, "
                                      "vorbis-tools and sox)");
    const std::string& lame = tools.paths[0];
    const std::string& oggenc = tools.paths[1];
    const std::string& oggdec = tools.paths[2];
    const std::string& sox = tools.paths[3];
    const std::string cli = options.cli.string();

    WorkDir work(options.workDir, options.keep);
    const std::string first = work.file("music-1.wav");
    const std::string second = work.file("music-2.wav");
    const std::string encoded = work.file("music-1.ogg");
    std::fprintf(stderr, "quillon-bench: synthesizing %g s of stereo music twice in %s\n",
                 options.size, options.workDir.c_str());
    writeMusicWav(first, options.size, kRate, kChannels, 1);
    writeMusicWav(second, options.size, kRate, kChannels, 2);
    // Both decoders read the same file, made once by the reference encoder.
    runChecked(
        Command{{oggenc, "-q", "2", "-Q", "-o", encoded, first}, encoded, work.file("prep.log")});

    const auto command = [&](std::vector<std::string> argv, const std::string& output,
                             const std::string& log) {
        return Command{std::move(argv), output, work.file(log)};
    };
    const std::string qMp3 = work.file("quillon.mp3"), rMp3 = work.file("reference.mp3");
    const std::string qOgg = work.file("quillon.ogg"), rOgg = work.file("reference.ogg");
    const std::string qWav = work.file("quillon.wav"), rWav = work.file("reference.wav");
    const std::string qMix = work.file("quillon-mix.wav"), rMix = work.file("reference-mix.wav");
    const std::vector<Pair> pairs = {
        {"wav->mp3", "lame", command({cli, "convert", first, qMp3}, qMp3, "q-mp3.log"),
         command({lame, "--quiet", "-b", "128", "--cbr", first, rMp3}, rMp3, "r-mp3.log"), 1.05},
        {"wav->ogg", "oggenc", command({cli, "convert", first, qOgg}, qOgg, "q-ogg.log"),
         command({oggenc, "-q", "2", "-Q", "-o", rOgg, first}, rOgg, "r-ogg.log"), 1.05},
        {"ogg->wav", "oggdec", command({cli, "convert", encoded, qWav}, qWav, "q-wav.log"),
         command({oggdec, "-Q", "-o", rWav, encoded}, rWav, "r-wav.log"), 1.05},
        {"mix", "sox -m", command({cli, "mix", first, second, qMix}, qMix, "q-mix.log"),
         command({sox, "-m", first, second, rMix}, rMix, "r-mix.log"), 1.00},
    };

    std::fprintf(stderr, "quillon-bench: %d run(s) of each command\n", options.runs);
    const std::vector<Row> rows = timePairs(pairs, options.runs, 9);

    std::printf("\nquillon-bench: %d run(s) each, %g s of stereo 44.1 kHz 16-bit input\n",
                options.runs, options.size);
    printTable(rows, {.nameWidth = 9,
                      .referenceHeader = "tool",
                      .referenceWidth = 9,
                      .referenceWord = "reference"});
}

}  // namespace

int main(int argc, char** argv) {
    return benchMain(kProgram, argc, argv, runBench);
}
