// quillon-bench: times quillon-cli against the usual command-line tools for the same work,
// side by side on the same synthesized music, and prints the median times and their ratio.
// It measures; a missed target is reported, not failed. Only a command that fails or a tool
// that is missing makes the exit status non-zero.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Process.h"
#include "Synth.h"

namespace fs = std::filesystem;

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

constexpr int kDefaultRuns = 5;
constexpr double kDefaultSeconds = 300;
constexpr int kRate = 44100;
constexpr int kChannels = 2;

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A timed command failed, or something it needs is not there.
struct BenchFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    int runs = kDefaultRuns;
    double seconds = kDefaultSeconds;
    fs::path cli;
    fs::path workDir;
    bool keep = false;
};

int parseRuns(const std::string& text, const std::string& source) {
    size_t used = 0;
    int runs = 0;
    try {
        runs = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || runs < 1 || runs > 1000)
        throw UsageError(source + " takes a whole number from 1 to 1000");
    return runs;
}

double parseSeconds(const std::string& text) {
    size_t used = 0;
    double seconds = 0;
    try {
        seconds = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || !(seconds >= 1 && seconds <= 3600))
        throw UsageError("--seconds takes a number from 1 to 3600");
    return seconds;
}

fs::path programFolder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path() : self.parent_path();
}

// nullopt when the program should only print the usage.
std::optional<Options> parseOptions(const std::vector<std::string>& words) {
    Options options;
    if (const char* runs = std::getenv("QUILLON_BENCH_RUNS"); runs != nullptr && *runs != '\0')
        options.runs = parseRuns(runs, "QUILLON_BENCH_RUNS");
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= words.size()) throw UsageError(word + " needs a value");
            return words[++i];
        };
        if (word == "--help" || word == "-h") return std::nullopt;
        if (word == "--runs")
            options.runs = parseRuns(value(), "--runs");
        else if (word == "--seconds")
            options.seconds = parseSeconds(value());
        else if (word == "--cli")
            options.cli = value();
        else if (word == "--work-dir")
            options.workDir = value();
        else if (word == "--keep")
            options.keep = true;
        else
            throw UsageError("unknown argument " + word);
    }
    const fs::path here = programFolder();
    if (options.cli.empty()) options.cli = (here / ".." / "cli" / "quillon-cli").lexically_normal();
    if (options.workDir.empty()) options.workDir = (here / ".." / "bench-data").lexically_normal();
    return options;
}

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

struct Command {
    std::vector<std::string> argv;
    std::string output;  // the file it writes, removed before each run
    std::string errorLog;
};

struct Pair {
    std::string name;
    std::string referenceName;
    Command quillon;
    Command reference;
    double target;  // the highest acceptable quillon/reference ratio
};

struct Timings {
    std::vector<double> wall;
    std::vector<double> cpu;
};

std::string commandLine(const std::vector<std::string>& argv) {
    std::string line;
    for (const std::string& word : argv)
        line += (line.empty() ? "" : " ") + word;
    return line;
}

RunResult runChecked(const Command& command) {
    std::error_code ignored;
    fs::remove(command.output, ignored);
    const RunResult result = runQuiet(command.argv, command.errorLog);
    const auto failure = [&](const std::string& why) {
        const std::string messages = tailOfFile(command.errorLog);
        return BenchFailure(
            commandLine(command.argv) + "\n  " + why +
            (messages.empty() ? "; it printed nothing" : "; its messages:\n" + messages));
    };
    if (!result.succeeded()) throw failure("failed with " + result.describe());
    std::error_code error;
    if (fs::file_size(command.output, error) == 0 || error)
        throw failure("wrote no output to " + command.output);
    return result;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Alternates the two commands, and which of them goes first, so that drift in the machine's
// state (caches, clock, other load) falls on both alike.
void timePair(const Pair& pair, int runs, Timings& quillon, Timings& reference,
              std::vector<double>& ratios) {
    for (int run = 0; run < runs; ++run) {
        RunResult q, r;
        if (run % 2 == 0) {
            q = runChecked(pair.quillon);
            r = runChecked(pair.reference);
        } else {
            r = runChecked(pair.reference);
            q = runChecked(pair.quillon);
        }
        quillon.wall.push_back(q.wallSeconds);
        quillon.cpu.push_back(q.cpuSeconds);
        reference.wall.push_back(r.wallSeconds);
        reference.cpu.push_back(r.cpuSeconds);
        ratios.push_back(q.wallSeconds / r.wallSeconds);
        std::fprintf(stderr, "  %-9s run %d/%d: quillon %.3f s, %s %.3f s\n", pair.name.c_str(),
                     run + 1, runs, q.wallSeconds, pair.referenceName.c_str(), r.wallSeconds);
    }
}

void requireTools(const Options& options, std::vector<std::string>& paths,
                  const std::vector<std::string>& names) {
    std::vector<std::string> missing;
    for (const std::string& name : names) {
        if (auto path = findInPath(name))
            paths.push_back(*path);
        else
            missing.push_back(name);
    }
    std::string problems;
    if (::access(options.cli.c_str(), X_OK) != 0)
        problems += "quillon-cli not found at " + options.cli.string() +
                    " (build it with 'cmake --build build', or give --cli PATH)\n";
    if (!missing.empty())
        problems += "not found on PATH: " + commandLine(missing) +
                    " ('bash scripts/install-deps.sh' installs lame, vorbis-tools and sox)\n";
    if (!problems.empty()) throw BenchFailure(problems.substr(0, problems.size() - 1));
}

int runBench(const Options& options) {
    std::vector<std::string> tools;
    requireTools(options, tools, {"lame", "oggenc", "oggdec", "sox"});
    const std::string& lame = tools[0];
    const std::string& oggenc = tools[1];
    const std::string& oggdec = tools[2];
    const std::string& sox = tools[3];
    const std::string cli = options.cli.string();

    WorkDir work(options.workDir, options.keep);
    const std::string first = work.file("music-1.wav");
    const std::string second = work.file("music-2.wav");
    const std::string encoded = work.file("music-1.ogg");
    std::fprintf(stderr, "quillon-bench: synthesizing %g s of stereo music twice in %s\n",
                 options.seconds, options.workDir.c_str());
    writeMusicWav(first, options.seconds, kRate, kChannels, 1);
    writeMusicWav(second, options.seconds, kRate, kChannels, 2);
    // Both decoders read the same file, made once by the reference encoder.
    runChecked({{oggenc, "-q", "2", "-Q", "-o", encoded, first}, encoded, work.file("prep.log")});

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

    struct Row {
        const Pair* pair;
        Timings quillon, reference;
        std::vector<double> ratios;
    };
    std::vector<Row> rows;
    std::fprintf(stderr, "quillon-bench: %d run(s) of each command\n", options.runs);
    for (const Pair& pair : pairs) {
        Row row{&pair, {}, {}, {}};
        timePair(pair, options.runs, row.quillon, row.reference, row.ratios);
        rows.push_back(std::move(row));
    }

    std::printf("\nquillon-bench: %d run(s) each, %g s of stereo 44.1 kHz 16-bit input\n",
                options.runs, options.seconds);
    std::printf(
        "wall-clock medians in seconds; cpu = user + system; ratio = median of the\n"
        "per-run quillon/reference wall-clock ratios\n\n");
    std::printf("%-9s %-9s %9s %9s %9s %9s %7s %8s %4s\n", "pair", "tool", "quillon", "ref",
                "q cpu", "ref cpu", "ratio", "target", "met");
    for (const Row& row : rows) {
        const double ratio = median(row.ratios);
        std::printf("%-9s %-9s %9.3f %9.3f %9.3f %9.3f %7.3f   <=%.2f %4s\n",
                    row.pair->name.c_str(), row.pair->referenceName.c_str(),
                    median(row.quillon.wall), median(row.reference.wall), median(row.quillon.cpu),
                    median(row.reference.cpu), ratio, row.pair->target,
                    ratio <= row.pair->target ? "yes" : "NO");
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
        std::cerr << "quillon-bench: " << error.what() << "\nTry 'quillon-bench --help'.\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "quillon-bench: " << error.what() << "\n";
        return 1;
    }
}
