// quillon-cli convert IN... --to FORMAT --out DIR: many files, or whole folders, converted
// by the batch converter, several at a time.
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <iostream>
#include <mutex>

#include "ACS_LAME.h"
#include "BatchConverter.h"
#include "CliSupport.h"
#include "JobSettings.h"
#include "UserPaths.h"

namespace {

std::atomic<bool> g_batchInterrupted{false};

extern "C" void batchInterruptHandler(int) {
    g_batchInterrupted = true;
}

BatchOptions optionsFrom(const Arguments& args) {
    BatchOptions options;
    const std::string to = args.value("--to").value_or("");
    if (!batchFormatFromName(to, options.format))
        throw UsageError("--to takes wav, mp3, ogg, flac or opus");
    if (!args.value("--out") || args.value("--out")->empty())
        throw UsageError("convert with --to needs --out DIR");
    options.outputFolder = *args.value("--out");
    options.keepStructure = args.has("--keep-structure");
    if (args.has("--jobs")) {
        options.jobs = args.integer("--jobs", 0, 0, kMaxJobs);
    } else {
        options.jobs = readJobsSetting(TIniFile(quillon::paths::settingsFile().string()));
    }
    const int defaultKbps = options.format == BatchFormat::opus ? 160 : 128;
    const int kbps = args.integer("--bitrate", defaultKbps, 6, 510);
    TMP3BitRate rate = br128;
    if (options.format == BatchFormat::mp3 && !mp3BitRateFromKbps(kbps, rate))
        throw UsageError(
            "--bitrate takes one of 8 16 24 32 40 48 56 64 80 96 112 128 144 160 192 224 256 "
            "320");
    options.mp3Kbps = kbps;
    options.opusKbps = kbps;
    const double quality = args.real("--quality", 0.2);
    if (quality < -0.1 || quality > 1.0) throw UsageError("--quality takes -0.1 to 1.0");
    options.vorbisQuality = static_cast<float>(quality);
    options.flacLevel = args.integer("--level", 5, 0, 8);
    return options;
}

const char* stateWord(BatchState state) {
    switch (state) {
        case BatchState::done:
            return "done";
        case BatchState::failed:
            return "failed";
        case BatchState::stopped:
            return "stopped";
        default:
            return "";
    }
}

}  // namespace

int batchConvertCommand(const std::vector<std::string>& words) {
    const Arguments args(words, {"--to", "--out", "--jobs", "--bitrate", "--quality", "--level"},
                         {"--keep-structure"});
    if (args.positional().empty()) throw UsageError("convert --to needs at least one IN");
    const BatchOptions options = optionsFrom(args);

    std::vector<std::string> problems;
    const std::vector<BatchInput> inputs = collectBatchInputs(args.positional(), problems);
    if (problems.empty()) problems = checkBatch(inputs, options);
    for (const std::string& problem : problems)
        std::cerr << "quillon-cli: " << problem << "\n";
    if (!problems.empty()) return 1;

    // The workers tell the main thread which files ended; it alone writes to stderr.
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::size_t> ended;
    bool finished = false;
    BatchConverter converter;
    converter.OnFileChanged = [&](std::size_t index) {
        const BatchState state = converter.fileStatus(index).state;
        if (state == BatchState::waiting || state == BatchState::converting) return;
        std::lock_guard guard(lock);
        ended.push_back(index);
        changed.notify_all();
    };
    converter.OnFinished = [&] {
        std::lock_guard guard(lock);
        finished = true;
        changed.notify_all();
    };

    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    g_batchInterrupted = false;
    auto previous = std::signal(SIGINT, batchInterruptHandler);
    const std::vector<std::string> refused = converter.Start(inputs, options);
    for (const std::string& problem : refused)
        std::cerr << "quillon-cli: " << problem << "\n";
    if (!refused.empty()) {
        std::signal(SIGINT, previous);
        return 1;
    }

    const std::size_t total = inputs.size();
    std::size_t count = 0;
    int failed = 0;
    bool stopSent = false;
    std::unique_lock guard(lock);
    while (true) {
        changed.wait_for(guard, std::chrono::milliseconds(100),
                         [&] { return finished || !ended.empty(); });
        if (g_batchInterrupted && !stopSent) {
            converter.Stop();
            stopSent = true;
        }
        if (terminal) std::fputs("\r\033[K", stderr);
        while (!ended.empty()) {
            const std::size_t index = ended.front();
            ended.pop_front();
            const BatchFileStatus status = converter.fileStatus(index);
            ++count;
            std::string line = "[" + std::to_string(count) + "/" + std::to_string(total) + "] " +
                               stateWord(status.state) + ": " + inputs[index].path;
            if (status.state == BatchState::done) {
                line += " -> " + converter.outputPath(index);
            } else if (status.state == BatchState::failed) {
                line += ": " + status.message;
                ++failed;
            }
            std::fprintf(stderr, "%s\n", line.c_str());
        }
        if (finished) break;
        if (terminal) {
            // A line of the files under way, redrawn in place.
            std::string line;
            for (std::size_t i = 0; i < total; ++i) {
                const BatchFileStatus status = converter.fileStatus(i);
                if (status.state == BatchState::converting)
                    line += (line.empty() ? "" : "  ") + std::to_string(status.percent) + "% " +
                            inputs[i].path.substr(inputs[i].path.find_last_of('/') + 1);
            }
            std::fprintf(stderr, "%.*s", 200, line.c_str());
        }
        std::fflush(stderr);
    }
    guard.unlock();
    converter.Wait();
    std::signal(SIGINT, previous);
    if (g_batchInterrupted) {
        std::cerr << "quillon-cli: stopped; unfinished files were removed\n";
        return 130;
    }
    return failed == 0 ? 0 : 1;
}
