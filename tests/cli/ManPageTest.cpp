// The man page keeps up with quillon-cli: it has an entry for every command of the program's
// help and for no command the program lacks.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>

#include "RunCommand.h"

namespace {

std::set<std::string> matches(const std::string& text, const std::regex& pattern) {
    std::set<std::string> found;
    for (auto match = std::sregex_iterator(text.begin(), text.end(), pattern);
         match != std::sregex_iterator(); ++match)
        found.insert((*match)[1].str());
    return found;
}

std::string join(const std::set<std::string>& words) {
    std::string result;
    for (const std::string& word : words)
        result += (result.empty() ? "" : ", ") + word;
    return result;
}

TEST(ManPageTest, EveryCommandOfTheHelpHasAnEntryAndNoOther) {
    const CommandResult help = runCommand(shellQuote(QUILLON_CLI) + " --help");
    ASSERT_EQ(help.status, 0);
    // Synopsis lines are indented by two blanks, descriptions by more; options count too.
    const auto listed = matches(
        help.output, std::regex(R"((?:^|\n)  ((?:--)?[a-z][a-z-]*(?: [a-z][a-z-]*)?)(?= |\n))"));

    std::ifstream file(QUILLON_MAN_PAGE);
    ASSERT_TRUE(file) << "no man page";
    const std::string page((std::istreambuf_iterator<char>(file)), {});
    // Each entry is a ".TP" paragraph whose tag is ".B quillon-cli COMMAND ...", with roff's
    // escaped hyphens in the options.
    std::string unescaped = std::regex_replace(page, std::regex(R"(\\-)"), "-");
    const auto documented = matches(
        unescaped,
        std::regex(R"(\.TP\n\.B quillon-cli ((?:--)?[a-z][a-z-]*(?: [a-z][a-z-]*)?)(?= |\n))"));

    EXPECT_GE(listed.size(), 12u) << join(listed);
    EXPECT_EQ(join(listed), join(documented));
}

}  // namespace
