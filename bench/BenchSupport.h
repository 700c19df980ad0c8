// What the benchmark programs share: the command line, the work folder, running the two sides
// of a comparison alternately, and the table of medians.
#pragma once

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Process.h"

namespace quillon::bench {

namespace fs = std::filesystem;

// A wrong command line: exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A timed command failed, or something it needs is not there: exit status 1.
struct BenchFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What sets one benchmark program's command line apart from the others'.
struct Program {
    const char* name;  // prefixes its messages
    const char* usage;
    int defaultRuns;
    const char* sizeFlag;  // its one size option, such as "--seconds"
    double sizeLow, sizeHigh, defaultSize;
    const char* defaultWorkDir;  // next to the program, as ../NAME
    bool wholeRuns = false;      // reject "2.5" for the number of runs instead of cutting it
    bool absolutePaths = true;   // make --cli and --work-dir absolute as given
};

struct Options {
    int runs = 0;
    double size = 0;  // the value of Program::sizeFlag
    fs::path cli;
    fs::path workDir;
    bool keep = false;
};

// A number from low to high, all of text; UsageError naming `name` otherwise.
double parseNumber(const std::string& text, const std::string& name, double low, double high);

// The folder this program is in, or the current one when that cannot be told.
fs::path programFolder();

// The whole program: reads QUILLON_BENCH_RUNS and the options, prints the usage when asked,
// runs `bench`, and turns what it throws into the exit status (2 for a wrong command line,
// 1 for anything else, 0 when it returns).
int benchMain(const Program& program, int argc, char** argv,
              const std::function<void(const Options&)>& bench);

// The work folder, removed with everything in it unless asked to keep it. A folder that exists
// beforehand is only taken over when an earlier run left its mark in it, so that nothing else
// is ever removed with it.
class MarkedWorkDir {
  public:
    MarkedWorkDir(fs::path folder, bool keep, const std::string& program);
    ~MarkedWorkDir();
    MarkedWorkDir(const MarkedWorkDir&) = delete;
    MarkedWorkDir& operator=(const MarkedWorkDir&) = delete;
    const fs::path& path() const { return m_folder; }

  private:
    fs::path m_folder;
    bool m_keep;
};

// Where each tool is on PATH, in the order asked (empty when missing), and which are missing.
struct Tools {
    std::vector<std::string> paths;
    std::vector<std::string> missing;
};
Tools findTools(const std::vector<std::string>& names);

// Throws BenchFailure when quillon-cli is not at `cli`, or when `otherProblem` is not empty,
// naming both.
void requireCli(const fs::path& cli, const std::string& otherProblem = {});

std::string commandLine(const std::vector<std::string>& argv);

// The failure of a command, with why and the last lines it wrote to errorLog.
BenchFailure commandFailure(const std::vector<std::string>& argv, const std::string& why,
                            const std::string& errorLog);

// Runs argv quietly; throws commandFailure when it does not succeed.
RunResult runChecked(const std::vector<std::string>& argv, const std::string& errorLog);

// A timed command and the file it must leave behind, non-empty.
struct Command {
    std::vector<std::string> argv;
    std::string output;  // removed before each run
    std::string errorLog;
    fs::path folder = {};  // when given, emptied before each run
};
RunResult runChecked(const Command& command);

double median(std::vector<double> values);

// The times of both sides over the runs.
struct Timings {
    std::vector<double> quillonWall, referenceWall, quillonCpu, referenceCpu, ratios;
    void add(const RunResult& quillon, const RunResult& reference);
};

// One run of each side. Which goes first alternates with the run, so that drift in the
// machine's state (caches, clock, other load) falls on both alike.
std::pair<RunResult, RunResult> runBoth(int run, const std::function<RunResult()>& quillon,
                                        const std::function<RunResult()>& reference);

// quillon-cli and the usual tools doing the same work.
struct Pair {
    std::string name;
    std::string referenceName;
    Command quillon;
    Command reference;
    double target;  // the highest acceptable quillon/reference ratio
};

struct Row {
    std::string name;
    std::string referenceName;
    double target;
    Timings timings;
};

// Times each pair `runs` times, reporting each run on stderr with the name `nameWidth` wide.
std::vector<Row> timePairs(const std::vector<Pair>& pairs, int runs, int nameWidth);

struct TableLayout {
    int nameWidth;
    const char* referenceHeader;
    int referenceWidth;
    const char* referenceWord;  // what the ratios divide by
};

// The explanation, the header and a line of medians for each row, on stdout.
void printTable(const std::vector<Row>& rows, const TableLayout& layout);

}  // namespace quillon::bench
