// Running one external command quietly and measuring how long it took.
#pragma once

#include <optional>
#include <string>
#include <vector>

// How one run of a command ended.
struct RunResult {
    double wallSeconds = 0;  // from just before the spawn to the end of the wait
    double cpuSeconds = 0;   // user plus system time of the child
    bool exited = false;     // false when it was killed by a signal
    int exitCode = 0;        // the exit status, or the signal number when !exited
    bool succeeded() const { return exited && exitCode == 0; }
    std::string describe() const;
};

// Runs argv (argv[0] a path) with stdin and stdout on /dev/null and stderr into errorLog,
// and waits for it. Throws std::system_error when it cannot be started at all.
RunResult runQuiet(const std::vector<std::string>& argv, const std::string& errorLog);

// The full path of an executable found through PATH, if any.
std::optional<std::string> findInPath(const std::string& name);

// The last lines of a text file, for showing why a command failed.
std::string tailOfFile(const std::string& path, size_t maxLines = 10);
