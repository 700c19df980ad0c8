// What the commands of quillon-cli share: argument reading and running one sink to its end.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ACS_Classes.h"

// A mistake in the command line; main prints it with the usage hint and exits with 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Positional words and --name value options of one command.
class Arguments {
  public:
    // flags: the options that take no value.
    Arguments(const std::vector<std::string>& words, const std::vector<std::string>& valued,
              const std::vector<std::string>& flags);

    const std::vector<std::string>& positional() const { return m_positional; }
    bool has(const std::string& name) const;
    std::optional<std::string> value(const std::string& name) const;
    // The option as a whole number in [low, high]; fallback when absent.
    int integer(const std::string& name, int fallback, int low, int high) const;
    double real(const std::string& name, double fallback) const;

  private:
    std::vector<std::string> m_positional;
    std::vector<std::pair<std::string, std::string>> m_options;
};

// "--drive" names a drive by number or by its device or image path; the path, made absolute
// as the drive list shows it, when the value is not a number.
std::optional<std::string> drivePathArgument(const Arguments& arguments);

// The file name's extension in lower case, without the dot.
std::string lowerExtension(const std::string& path);

// Runs the sink until its done report, with a progress bar on stderr when stderr is a
// terminal; Ctrl+C stops the run. On failure, and on interruption unless told to keep it,
// the incomplete output file is removed (none: an empty name). Returns the exit status.
enum class OnInterrupt { removeOutput, keepOutput };
int runToEnd(TACSOutput& sink, const std::string& outputFile,
             OnInterrupt onInterrupt = OnInterrupt::removeOutput);

int convertCommand(const std::vector<std::string>& words);
int batchConvertCommand(const std::vector<std::string>& words);
int playCommand(const std::vector<std::string>& words);
int recordCommand(const std::vector<std::string>& words);
int devicesCommand(const std::vector<std::string>& words);
int mixCommand(const std::vector<std::string>& words);
int drivesCommand(const std::vector<std::string>& words);
int tocCommand(const std::vector<std::string>& words);
int cddbCommand(const std::vector<std::string>& words);
int ripCommand(const std::vector<std::string>& words);
int tagCommand(const std::vector<std::string>& words);
int skinCommand(const std::vector<std::string>& words);
