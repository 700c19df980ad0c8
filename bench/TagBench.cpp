// quillon-tag-bench: times quillon-cli tag set on a large generated MP3 file against a plain
// cp of the same file. Rewriting a leading tag has to copy the whole file once, so one
// sequential copy is the floor. The two commands alternate; the medians and their ratio are
// printed. A missed target is reported, not failed; only a failing command or a missing tool
// fails the run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchSupport.h"

namespace fs = std::filesystem;
using namespace quillon::bench;

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

const Program kProgram = {.name = "quillon-tag-bench",
                          .usage = kUsage,
                          .defaultRuns = 7,
                          .sizeFlag = "--megabytes",
                          .sizeLow = 1,
                          .sizeHigh = 4000,
                          .defaultSize = 200,
                          .defaultWorkDir = "tag-bench-data"};

constexpr double kTarget = 1.3;

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

void runBench(const Options& options) {
    const auto cp = findInPath("cp");
    requireCli(options.cli);
    if (!cp) throw BenchFailure("cp is needed on PATH");

    MarkedWorkDir work(options.workDir, options.keep, kProgram.name);
    const fs::path song = work.path() / "song.mp3";
    const fs::path copy = work.path() / "copy.mp3";
    const std::string errorLog = (work.path() / "errors.log").string();
    const auto bytes = static_cast<uint64_t>(options.size * 1024 * 1024);
    std::fprintf(stderr, "quillon-tag-bench: generating a %.0f MiB MP3 file\n", options.size);
    writeSong(song, bytes);
    const uint64_t audioBytes = fs::file_size(song) - 30;  // the generated tag is 30 bytes
    // Each side replaces a whole file of the same size on every run: cp truncates the copy
    // it made before, and the rewrite frees the file it replaces.
    runChecked({*cp, song.string(), copy.string()}, errorLog);

    Row row{"tag set", "cp", kTarget, {}};
    std::fprintf(stderr, "quillon-tag-bench: %d run(s) of each command\n", options.runs);
    for (int run = 0; run < options.runs; ++run) {
        // Titles of one length keep the file's size from run to run.
        const std::string title = "Run " + std::to_string(1000 + run);
        const std::vector<std::string> tagSet = {options.cli.string(), "tag",     "set",
                                                 song.string(),        "--title", title};
        const std::vector<std::string> plainCopy = {*cp, song.string(), copy.string()};
        const auto [t, c] = runBoth(
            run, [&] { return runChecked(tagSet, errorLog); },
            [&] { return runChecked(plainCopy, errorLog); });
        checkTagged(song, audioBytes, title);
        row.timings.add(t, c);
        std::fprintf(stderr, "  run %d/%d: tag set %.3f s, cp %.3f s\n", run + 1, options.runs,
                     t.wallSeconds, c.wallSeconds);
    }

    std::printf("\nquillon-tag-bench: %d run(s) each, a %.0f MiB file\n", options.runs,
                options.size);
    printTable({row}, {.nameWidth = 8,
                       .referenceHeader = "reference",
                       .referenceWidth = 10,
                       .referenceWord = "cp"});
}

}  // namespace

int main(int argc, char** argv) {
    return benchMain(kProgram, argc, argv, runBench);
}
