#include "Process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

extern char** environ;

namespace {

// posix_spawn_file_actions_t as an RAII object.
class FileActions {
  public:
    FileActions() { check(posix_spawn_file_actions_init(&m_actions), "file actions"); }
    ~FileActions() { posix_spawn_file_actions_destroy(&m_actions); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;

    void open(int fd, const std::string& path, int flags) {
        check(posix_spawn_file_actions_addopen(&m_actions, fd, path.c_str(), flags, 0644),
              "redirecting " + path);
    }
    const posix_spawn_file_actions_t* get() const { return &m_actions; }

    static void check(int error, const std::string& what) {
        if (error != 0) throw std::system_error(error, std::generic_category(), what);
    }

  private:
    posix_spawn_file_actions_t m_actions;
};

double seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

}  // namespace

std::string RunResult::describe() const {
    if (exited) return "exit status " + std::to_string(exitCode);
    return "killed by signal " + std::to_string(exitCode);
}

RunResult runQuiet(const std::vector<std::string>& argv, const std::string& errorLog) {
    FileActions actions;
    actions.open(STDIN_FILENO, "/dev/null", O_RDONLY);
    actions.open(STDOUT_FILENO, "/dev/null", O_WRONLY);
    actions.open(STDERR_FILENO, errorLog, O_WRONLY | O_CREAT | O_TRUNC);

    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& word : argv)
        args.push_back(const_cast<char*>(word.c_str()));
    args.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    FileActions::check(posix_spawn(&child, args[0], actions.get(), nullptr, args.data(), environ),
                       "starting " + argv[0]);
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "wait4");
    }
    const auto stop = std::chrono::steady_clock::now();

    RunResult result;
    result.wallSeconds = std::chrono::duration<double>(stop - start).count();
    result.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    result.exited = WIFEXITED(status);
    result.exitCode = result.exited ? WEXITSTATUS(status) : WTERMSIG(status);
    return result;
}

std::optional<std::string> findInPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty()) folder = ".";
        const std::filesystem::path candidate = std::filesystem::path(folder) / name;
        if (::access(candidate.c_str(), X_OK) == 0 && !std::filesystem::is_directory(candidate))
            return candidate.string();
    }
    return std::nullopt;
}

std::string tailOfFile(const std::string& path, size_t maxLines) {
    std::ifstream in(path);
    std::deque<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        // Progress meters rewrite one line with carriage returns; keep only what is left.
        if (const auto cr = line.rfind('\r'); cr != std::string::npos) line.erase(0, cr + 1);
        lines.push_back(line);
        if (lines.size() > maxLines) lines.pop_front();
    }
    std::string text;
    for (const std::string& kept : lines)
        text += "    " + kept + "\n";
    return text;
}
