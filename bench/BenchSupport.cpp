#include "BenchSupport.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>

namespace quillon::bench {

namespace {

// What `read` makes of all of text; nullopt when it throws or leaves some of it.
template <typename Read>
auto readWhole(const std::string& text, Read read) -> std::optional<decltype(read(text, nullptr))> {
    size_t used = 0;
    try {
        const auto value = read(text, &used);
        if (used != 0 && used == text.size()) return value;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

int parseWholeNumber(const std::string& text, const std::string& name) {
    const auto value =
        readWhole(text, [](const std::string& t, size_t* used) { return std::stoi(t, used); });
    if (!value || *value < 1 || *value > 1000)
        throw UsageError(name + " takes a whole number from 1 to 1000");
    return *value;
}

int parseRuns(const Program& program, const std::string& text, const std::string& name) {
    if (program.wholeRuns) return parseWholeNumber(text, name);
    return static_cast<int>(parseNumber(text, name, 1, 1000));
}

// nullopt when the program should only print the usage.
std::optional<Options> parseOptions(const Program& program, const std::vector<std::string>& words) {
    Options options;
    options.runs = program.defaultRuns;
    options.size = program.defaultSize;
    if (const char* runs = std::getenv("QUILLON_BENCH_RUNS"); runs != nullptr && *runs != '\0')
        options.runs = parseRuns(program, runs, "QUILLON_BENCH_RUNS");
    const auto asGiven = [&](const std::string& path) {
        return program.absolutePaths ? fs::absolute(path) : fs::path(path);
    };
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= words.size()) throw UsageError(word + " needs a value");
            return words[++i];
        };
        if (word == "--help" || word == "-h") return std::nullopt;
        if (word == "--runs")
            options.runs = parseRuns(program, value(), "--runs");
        else if (word == program.sizeFlag)
            options.size = parseNumber(value(), word, program.sizeLow, program.sizeHigh);
        else if (word == "--cli")
            options.cli = asGiven(value());
        else if (word == "--work-dir")
            options.workDir = asGiven(value());
        else if (word == "--keep")
            options.keep = true;
        else
            throw UsageError("unknown argument " + word);
    }
    const fs::path here = programFolder();
    if (options.cli.empty()) options.cli = (here / ".." / "cli" / "quillon-cli").lexically_normal();
    if (options.workDir.empty())
        options.workDir = (here / ".." / program.defaultWorkDir).lexically_normal();
    return options;
}

}  // namespace

double parseNumber(const std::string& text, const std::string& name, double low, double high) {
    const auto value =
        readWhole(text, [](const std::string& t, size_t* used) { return std::stod(t, used); });
    if (!value || !(*value >= low && *value <= high))
        throw UsageError(name + " takes a number from " + std::to_string(int(low)) + " to " +
                         std::to_string(int(high)));
    return *value;
}

fs::path programFolder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path() : self.parent_path();
}

int benchMain(const Program& program, int argc, char** argv,
              const std::function<void(const Options&)>& bench) {
    try {
        const auto options = parseOptions(program, std::vector<std::string>(argv + 1, argv + argc));
        if (!options) {
            std::cout << program.usage;
            return 0;
        }
        bench(*options);
        return 0;
    } catch (const UsageError& error) {
        std::cerr << program.name << ": " << error.what() << "\nTry '" << program.name
                  << " --help'.\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << program.name << ": " << error.what() << "\n";
        return 1;
    }
}

MarkedWorkDir::MarkedWorkDir(fs::path folder, bool keep, const std::string& program)
    : m_folder(std::move(folder)), m_keep(keep) {
    const fs::path mark = m_folder / ("." + program);
    if (fs::exists(m_folder)) {
        if (!fs::exists(mark))
            throw BenchFailure(m_folder.string() + " exists; give another --work-dir");
        fs::remove_all(m_folder);
    }
    fs::create_directories(m_folder);
    std::ofstream(mark) << "made by " << program << "\n";
}

MarkedWorkDir::~MarkedWorkDir() {
    std::error_code ignored;
    // A benchmark may have moved into the folder; it cannot be removed from inside.
    fs::current_path(m_folder.parent_path(), ignored);
    if (!m_keep) fs::remove_all(m_folder, ignored);
}

Tools findTools(const std::vector<std::string>& names) {
    Tools tools;
    for (const std::string& name : names) {
        const auto path = findInPath(name);
        tools.paths.push_back(path.value_or(""));
        if (!path) tools.missing.push_back(name);
    }
    return tools;
}

void requireCli(const fs::path& cli, const std::string& otherProblem) {
    std::string problems;
    if (::access(cli.c_str(), X_OK) != 0)
        problems += "quillon-cli not found at " + cli.string() +
                    " (build it with 'cmake --build build', or give --cli PATH)\n";
    if (!otherProblem.empty()) problems += otherProblem + "\n";
    if (!problems.empty()) throw BenchFailure(problems.substr(0, problems.size() - 1));
}

std::string commandLine(const std::vector<std::string>& argv) {
    std::string line;
    for (const std::string& word : argv)
        line += (line.empty() ? "" : " ") + word;
    return line;
}

BenchFailure commandFailure(const std::vector<std::string>& argv, const std::string& why,
                            const std::string& errorLog) {
    const std::string messages = tailOfFile(errorLog);
    return BenchFailure(
        commandLine(argv) + "\n  " + why +
        (messages.empty() ? "; it printed nothing" : "; its messages:\n" + messages));
}

RunResult runChecked(const std::vector<std::string>& argv, const std::string& errorLog) {
    const RunResult result = runQuiet(argv, errorLog);
    if (!result.succeeded())
        throw commandFailure(argv, "failed with " + result.describe(), errorLog);
    return result;
}

RunResult runChecked(const Command& command) {
    std::error_code ignored;
    fs::remove(command.output, ignored);
    if (!command.folder.empty()) {
        fs::remove_all(command.folder, ignored);
        fs::create_directories(command.folder);
    }
    const RunResult result = runChecked(command.argv, command.errorLog);
    std::error_code error;
    if (fs::file_size(command.output, error) == 0 || error)
        throw commandFailure(command.argv, "wrote no output to " + command.output,
                             command.errorLog);
    return result;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void Timings::add(const RunResult& quillon, const RunResult& reference) {
    quillonWall.push_back(quillon.wallSeconds);
    referenceWall.push_back(reference.wallSeconds);
    quillonCpu.push_back(quillon.cpuSeconds);
    referenceCpu.push_back(reference.cpuSeconds);
    ratios.push_back(quillon.wallSeconds / reference.wallSeconds);
}

std::pair<RunResult, RunResult> runBoth(int run, const std::function<RunResult()>& quillon,
                                        const std::function<RunResult()>& reference) {
    RunResult q, r;
    if (run % 2 == 0) {
        q = quillon();
        r = reference();
    } else {
        r = reference();
        q = quillon();
    }
    return {q, r};
}

std::vector<Row> timePairs(const std::vector<Pair>& pairs, int runs, int nameWidth) {
    std::vector<Row> rows;
    for (const Pair& pair : pairs) {
        Row row{pair.name, pair.referenceName, pair.target, {}};
        for (int run = 0; run < runs; ++run) {
            const auto [q, r] = runBoth(
                run, [&] { return runChecked(pair.quillon); },
                [&] { return runChecked(pair.reference); });
            row.timings.add(q, r);
            std::fprintf(stderr, "  %-*s run %d/%d: quillon %.3f s, %s %.3f s\n", nameWidth,
                         pair.name.c_str(), run + 1, runs, q.wallSeconds,
                         pair.referenceName.c_str(), r.wallSeconds);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

void printTable(const std::vector<Row>& rows, const TableLayout& layout) {
    std::printf(
        "wall-clock medians in seconds; cpu = user + system; ratio = median of the\n"
        "per-run quillon/%s wall-clock ratios\n\n",
        layout.referenceWord);
    std::printf("%-*s %-*s %9s %9s %9s %9s %7s %8s %4s\n", layout.nameWidth, "pair",
                layout.referenceWidth, layout.referenceHeader, "quillon", "ref", "q cpu", "ref cpu",
                "ratio", "target", "met");
    for (const Row& row : rows) {
        const Timings& t = row.timings;
        const double ratio = median(t.ratios);
        std::printf("%-*s %-*s %9.3f %9.3f %9.3f %9.3f %7.3f   <=%.2f %4s\n", layout.nameWidth,
                    row.name.c_str(), layout.referenceWidth, row.referenceName.c_str(),
                    median(t.quillonWall), median(t.referenceWall), median(t.quillonCpu),
                    median(t.referenceCpu), ratio, row.target, ratio <= row.target ? "yes" : "NO");
    }
}

}  // namespace quillon::bench
