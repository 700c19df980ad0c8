#include "CliSupport.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <mutex>

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void interruptHandler(int) {
    g_interrupted = true;
}

void drawBar(int percent) {
    constexpr int width = 40;
    const int filled = std::clamp(percent, 0, 100) * width / 100;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.resize(width, '.');
    std::fprintf(stderr, "\r[%s] %3d%%", bar.c_str(), std::max(percent, 0));
    std::fflush(stderr);
}

}  // namespace

Arguments::Arguments(const std::vector<std::string>& words, const std::vector<std::string>& valued,
                     const std::vector<std::string>& flags) {
    auto known = [](const std::vector<std::string>& list, const std::string& word) {
        return std::find(list.begin(), list.end(), word) != list.end();
    };
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.size() > 2 && word.rfind("--", 0) == 0) {
            if (known(flags, word)) {
                m_options.emplace_back(word, "");
            } else if (known(valued, word)) {
                if (i + 1 >= words.size()) throw UsageError(word + " needs a value");
                m_options.emplace_back(word, words[++i]);
            } else {
                throw UsageError("unknown option " + word);
            }
        } else {
            m_positional.push_back(word);
        }
    }
}

bool Arguments::has(const std::string& name) const {
    return std::any_of(m_options.begin(), m_options.end(),
                       [&](const auto& option) { return option.first == name; });
}

std::optional<std::string> Arguments::value(const std::string& name) const {
    for (auto it = m_options.rbegin(); it != m_options.rend(); ++it)
        if (it->first == name) return it->second;
    return std::nullopt;
}

std::optional<std::string> drivePathArgument(const Arguments& arguments) {
    const auto text = arguments.value("--drive");
    if (!text || text->empty() ||
        std::all_of(text->begin(), text->end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    std::error_code error;
    const auto absolute = std::filesystem::absolute(*text, error);
    return error ? *text : absolute.lexically_normal().string();
}

int Arguments::integer(const std::string& name, int fallback, int low, int high) const {
    const auto text = value(name);
    if (!text) return fallback;
    size_t used = 0;
    int number = 0;
    try {
        number = std::stoi(*text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text->size() || number < low || number > high)
        throw UsageError(name + " takes a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high));
    return number;
}

double Arguments::real(const std::string& name, double fallback) const {
    const auto text = value(name);
    if (!text) return fallback;
    size_t used = 0;
    double number = 0;
    try {
        number = std::stod(*text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text->size()) throw UsageError(name + " takes a number");
    return number;
}

std::string lowerExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

int runToEnd(TACSOutput& sink, const std::string& outputFile, OnInterrupt onInterrupt) {
    std::mutex lock;
    std::condition_variable doneSignal;
    bool done = false;
    sink.OnDone = [&](TACSOutput*) {
        std::lock_guard guard(lock);
        done = true;
        doneSignal.notify_all();
    };
    const bool showBar = ::isatty(STDERR_FILENO) != 0;
    g_interrupted = false;
    auto previous = std::signal(SIGINT, interruptHandler);

    sink.Run();
    bool stopSent = false;
    {
        std::unique_lock guard(lock);
        while (!doneSignal.wait_for(guard, std::chrono::milliseconds(100), [&] { return done; })) {
            if (g_interrupted && !stopSent) {
                sink.Stop();
                stopSent = true;
            }
            if (showBar) drawBar(sink.Progress());
        }
    }
    std::signal(SIGINT, previous);
    if (showBar) {
        drawBar(sink.Progress());
        std::fputc('\n', stderr);
    }

    const std::string error = sink.lastError();
    if (error.empty() && !g_interrupted) return 0;
    std::error_code ignored;
    const bool remove =
        !outputFile.empty() && (!error.empty() || onInterrupt == OnInterrupt::RemoveOutput);
    if (remove) std::filesystem::remove(outputFile, ignored);
    if (!error.empty()) {
        std::cerr << "quillon-cli: " << error << "\n";
        return 1;
    }
    std::cerr << "quillon-cli: stopped" << (remove ? "; " + outputFile + " was removed" : "")
              << "\n";
    return 130;
}
