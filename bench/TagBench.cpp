// quillon-tag-bench: times quillon-cli tag set on a large generated MP3 file against a plain
// cp of the same file. Rewriting a leading tag has to copy the whole file once, so one
// sequential copy is the floor. The two commands alternate; the medians and their ratio are
// printed. A missed target is reported, not failed; only a failing command or a missing tool
// fails the run.
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

#include "Process.h"

namespace fs = std::filesystem;

namespace {

const char* const kUsage =
    "Usage: quillon-tag-bench [--runs N] [--megabytes M] [--cli PATH] [--work-dir DIR] [--keep]\n"
    "\n"
    "Times 'quillon-cli tag set FILE --title X' on a generated MP3 file against 'cp' of the\n"
    "same file, alternating the two, and prints the medians and their ratio.\n"
    "\n"
    "  --runs N        runs of each command (default 7, or $QUILLON_BENCH_RUNS)\n"
    "  --megabytes M   size of the file in MiB (default 200)\n"
    "  --cli PATH      the quillon-cli to time (default ../cli/quillon-cli next to this\n"
    "                  program)\n"
    "  --work-dir DIR  folder for the files (default ../tag-bench-data next to this program);\n"
    "                  removed afterwards\n"
    "  --keep          leave the files in the work folder\n"
    "\n"
    "Exit status: 0 when everything ran (target met or not), 1 when a command failed or a\n"
    "tool is missing, 2 for a wrong command line.\n";

constexpr double kTarget = 1.3;

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct BenchFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    int runs = 7;
    double megabytes = 200;
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
        else if (word == "--megabytes")
            options.megabytes = parseNumber(value(), "--megabytes", 1, 4000);
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
        options.workDir = (here / ".." / "tag-bench-data").lexically_normal();
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
        std::ofstream(m_folder / kMark) << "made by quillon-tag-bench\n";
    }
    ~WorkDir() {
        std::error_code ignored;
        if (!m_keep) fs::remove_all(m_folder, ignored);
    }
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;
    const fs::path& path() const { return m_folder; }

  private:
    static constexpr const char* kMark = ".quillon-tag-bench";
    fs::path m_folder;
    bool m_keep;
};

// An MP3-like file: a version 2.3 tag with a title, then frame headers of 128 kbit/s
// 44.1 kHz frames (418 bytes each) with varied bytes between them.
void writeSong(const fs::path& path, uint64_t bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::string title = "Generated";
    std::string tag = std::string("ID3\3\0\0\0\0\0", 9) + static_cast<char>(title.size() + 11);
    tag += std::string("TIT2\0\0\0", 7) + static_cast<char>(title.size() + 1) +
           std::string(3, '\0') + title;
    out << tag;
    std::string frame(418, '\0');
    frame[0] = '\xFF';
    frame[1] = '\xFB';
    frame[2] = '\x90';
    frame[3] = '\x64';
    uint32_t seed = 1;
    std::string block;
    for (int i = 0; i < 2048; ++i) {
        for (size_t j = 4; j < frame.size(); ++j) {
            seed = seed * 1664525 + 1013904223;
            frame[j] = static_cast<char>(seed >> 24);
        }
        block += frame;
    }
    for (uint64_t written = tag.size(); written < bytes; written += block.size())
        out.write(block.data(),
                  static_cast<std::streamsize>(std::min<uint64_t>(block.size(), bytes - written)));
    if (!out.flush()) throw BenchFailure("cannot write " + path.string());
}

std::string commandLine(const std::vector<std::string>& argv) {
    std::string line;
    for (const std::string& word : argv)
        line += (line.empty() ? "" : " ") + word;
    return line;
}

RunResult runChecked(const std::vector<std::string>& argv, const std::string& errorLog) {
    const RunResult result = runQuiet(argv, errorLog);
    if (!result.succeeded()) {
        const std::string messages = tailOfFile(errorLog);
        throw BenchFailure(
            commandLine(argv) + "\n  failed with " + result.describe() +
            (messages.empty() ? "; it printed nothing" : "; its messages:\n" + messages));
    }
    return result;
}

// The file must still be the song with its audio whole: a tag of the expected size in front.
void checkTagged(const fs::path& song, uint64_t audioBytes, const std::string& title) {
    // Header, TIT2 frame header, encoding byte and the title.
    const uint64_t expected = 10 + 10 + 1 + title.size() + audioBytes;
    std::ifstream in(song, std::ios::binary);
    char head[3] = {};
    in.read(head, 3);
    if (fs::file_size(song) != expected || std::string(head, 3) != "ID3")
        throw BenchFailure("quillon-cli left " + song.string() + " in the wrong shape");
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

int runBench(const Options& options) {
    const auto cp = findInPath("cp");
    if (::access(options.cli.c_str(), X_OK) != 0)
        throw BenchFailure("quillon-cli not found at " + options.cli.string() +
                           " (build it with 'cmake --build build', or give --cli PATH)");
    if (!cp) throw BenchFailure("cp is needed on PATH");

    WorkDir work(options.workDir, options.keep);
    const fs::path song = work.path() / "song.mp3";
    const fs::path copy = work.path() / "copy.mp3";
    const std::string errorLog = (work.path() / "errors.log").string();
    const auto bytes = static_cast<uint64_t>(options.megabytes * 1024 * 1024);
    std::fprintf(stderr, "quillon-tag-bench: generating a %.0f MiB MP3 file\n", options.megabytes);
    writeSong(song, bytes);
    const uint64_t audioBytes = fs::file_size(song) - 30;  // the generated tag is 30 bytes
    // Each side replaces a whole file of the same size on every run: cp truncates the copy
    // it made before, and the rewrite frees the file it replaces.
    runChecked({*cp, song.string(), copy.string()}, errorLog);

    std::vector<double> tagWall, cpWall, tagCpu, cpCpu, ratios;
    std::fprintf(stderr, "quillon-tag-bench: %d run(s) of each command\n", options.runs);
    for (int run = 0; run < options.runs; ++run) {
        // Titles of one length keep the file's size from run to run.
        const std::string title = "Run " + std::to_string(1000 + run);
        const std::vector<std::string> tagSet = {options.cli.string(), "tag",     "set",
                                                 song.string(),        "--title", title};
        const std::vector<std::string> plainCopy = {*cp, song.string(), copy.string()};
        RunResult t, c;
        // Alternate which side goes first, so that drift in the machine's state falls on both.
        if (run % 2 == 0) {
            t = runChecked(tagSet, errorLog);
            c = runChecked(plainCopy, errorLog);
        } else {
            c = runChecked(plainCopy, errorLog);
            t = runChecked(tagSet, errorLog);
        }
        checkTagged(song, audioBytes, title);
        tagWall.push_back(t.wallSeconds);
        cpWall.push_back(c.wallSeconds);
        tagCpu.push_back(t.cpuSeconds);
        cpCpu.push_back(c.cpuSeconds);
        ratios.push_back(t.wallSeconds / c.wallSeconds);
        std::fprintf(stderr, "  run %d/%d: tag set %.3f s, cp %.3f s\n", run + 1, options.runs,
                     t.wallSeconds, c.wallSeconds);
    }

    const double ratio = median(ratios);
    std::printf("\nquillon-tag-bench: %d run(s) each, a %.0f MiB file\n", options.runs,
                options.megabytes);
    std::printf(
        "wall-clock medians in seconds; cpu = user + system; ratio = median of the\n"
        "per-run quillon/cp wall-clock ratios\n\n");
    std::printf("%-8s %-10s %9s %9s %9s %9s %7s %8s %4s\n", "pair", "reference", "quillon", "ref",
                "q cpu", "ref cpu", "ratio", "target", "met");
    std::printf("%-8s %-10s %9.3f %9.3f %9.3f %9.3f %7.3f   <=%.2f %4s\n", "tag set", "cp",
                median(tagWall), median(cpWall), median(tagCpu), median(cpCpu), ratio, kTarget,
                ratio <= kTarget ? "yes" : "NO");
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
        std::cerr << "quillon-tag-bench: " << error.what() << "\nTry 'quillon-tag-bench --help'.\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "quillon-tag-bench: " << error.what() << "\n";
        return 1;
    }
}
