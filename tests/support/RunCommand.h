// Runs a shell command line for tests and collects its exit status and output.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

struct CommandResult {
    int status = -1;     // exit status, or 128 + signal
    std::string output;  // stdout and stderr together
};

inline CommandResult runCommand(const std::string& commandLine) {
    CommandResult result;
    FILE* pipe = ::popen((commandLine + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer{};
    size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.output.append(buffer.data(), got);
    const int raw = ::pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return result;
}

// The text quoted for the shell.
inline std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
