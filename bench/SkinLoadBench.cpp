// quillon-skin-bench: times loading the skin built into the program (decompressing it,
// indexing its container, reading the description and decoding every bitmap), and compares
// the decompression alone against gzip -dc of the same container compressed by gzip -9.
// It measures; only a failing tool or a missing skin makes the exit status non-zero.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "LZH.h"
#include "ShippedSkin.h"
#include "SkinReader.h"
#include "WinSkinData.h"

namespace fs = std::filesystem;
using namespace quillon::bench;

namespace {

const char* const kUsage =
    "Usage: quillon-skin-bench [--runs N] [--loads L] [--work-dir DIR] [--keep]\n"
    "\n"
    "Loads the built-in skin L times per run (decompression, container, description and\n"
    "every bitmap) and prints the median time of one load. For comparison it decompresses\n"
    "the skin L times and runs 'gzip -dc' on L copies of the same container compressed by\n"
    "gzip -9, and prints both times per container and their ratio.\n"
    "\n"
    "  --runs N        runs (default 5, or $QUILLON_BENCH_RUNS)\n"
    "  --loads L       loads per run (default 200)\n"
    "  --work-dir DIR  folder for the gzip file (default ../skin-bench-data next to this\n"
    "                  program); removed afterwards\n"
    "  --keep          leave the files in the work folder\n"
    "\n"
    "Exit status: 0 when everything ran, 1 when gzip failed or is missing or the program has\n"
    "no built-in skin, 2 for a wrong command line.\n";

const Program kProgram = {.name = "quillon-skin-bench",
                          .usage = kUsage,
                          .defaultRuns = 5,
                          .sizeFlag = "--loads",
                          .sizeLow = 1,
                          .sizeHigh = 100000,
                          .defaultSize = 200,
                          .defaultWorkDir = "skin-bench-data",
                          .wholeRuns = true};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::span<const std::uint8_t> shippedSkinFile() {
    const auto file = ShippedSkinFile();
    if (file.empty()) throw BenchFailure("this program was built without a skin");
    return file;
}

void run(const Options& options) {
    const auto stored = ShippedSkinStream();
    const auto skinFile = shippedSkinFile();
    const int loads = int(options.size);
    const std::vector<std::uint8_t> container = TLZH::Decompress(skinFile);

    const Tools tools = findTools({"gzip"});
    if (!tools.missing.empty()) throw BenchFailure("gzip is not installed");
    const MarkedWorkDir work(options.workDir, options.keep, kProgram.name);
    const fs::path copies = work.path() / "containers";
    {
        std::ofstream out(copies, std::ios::binary);
        for (int i = 0; i < loads; ++i)
            out.write(reinterpret_cast<const char*>(container.data()),
                      std::streamsize(container.size()));
        if (!out.flush()) throw BenchFailure("cannot write " + copies.string());
    }
    const std::string log = (work.path() / "gzip.log").string();
    runChecked({tools.paths[0], "-9", "-k", "-f", copies.string()}, log);
    const std::string gz = copies.string() + ".gz";
    {
        std::ofstream one(work.path() / "one", std::ios::binary);
        one.write(reinterpret_cast<const char*>(container.data()),
                  std::streamsize(container.size()));
    }
    runChecked({tools.paths[0], "-9", "-k", "-f", (work.path() / "one").string()}, log);
    const auto gzipSize = fs::file_size(work.path() / "one.gz");

    std::vector<double> loadMs, decompressMs, gzipMs;
    for (int r = 0; r < options.runs; ++r) {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < loads; ++i) {
            TSkinData skin;
            skin.ReadSkinStream(stored);
            if (skin.Loading() != 0) throw BenchFailure("the built-in skin did not load");
        }
        loadMs.push_back(secondsSince(start) * 1000 / loads);

        start = std::chrono::steady_clock::now();
        for (int i = 0; i < loads; ++i)
            if (TLZH::Decompress(skinFile).size() != container.size())
                throw BenchFailure("decompression changed size");
        decompressMs.push_back(secondsSince(start) * 1000 / loads);

        const RunResult result = runQuiet({tools.paths[0], "-dc", gz}, log);
        if (!result.succeeded())
            throw commandFailure({tools.paths[0], "-dc", gz}, result.describe(), log);
        gzipMs.push_back(result.wallSeconds * 1000 / loads);
        std::fprintf(stderr, "run %d: load %.3f ms, decompress %.3f ms, gzip -dc %.3f ms\n", r + 1,
                     loadMs.back(), decompressMs.back(), gzipMs.back());
    }

    TSkinReader reader;
    reader.OpenSkin(skinFile);
    std::printf("Built-in skin: %zu bytes compressed, %zu bytes of container, %zu entries\n",
                skinFile.size(), container.size(), reader.names().size());
    std::printf("gzip -9 of the container: %ju bytes\n", std::uintmax_t(gzipSize));
    std::printf("Medians over %d runs of %d loads:\n", options.runs, loads);
    std::printf("  whole load (decompress, index, description, bitmaps): %8.3f ms per load\n",
                median(loadMs));
    std::printf("  decompression alone:                                  %8.3f ms per skin\n",
                median(decompressMs));
    std::printf("  gzip -dc, same container (process start included):   %8.3f ms per copy\n",
                median(gzipMs));
    std::printf("  decompression / gzip -dc:                             %8.2f\n",
                median(decompressMs) / median(gzipMs));
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    TSkinData::showMessage = [](const QString& text) {
        std::fprintf(stderr, "quillon-skin-bench: %s\n", qPrintable(text));
    };
    return benchMain(kProgram, argc, argv, run);
}
