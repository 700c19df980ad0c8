// The man page keeps up with quillon-cli: it has an entry for every command of the program's
// help and for no command the program lacks.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>

#include "HelpWords.h"
#include "RunCommand.h"

namespace {

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
