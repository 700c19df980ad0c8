// The user's manual keeps up with quillon-cli: every command the program's help lists has its
// section in the manual, and the manual describes no command the program lacks.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "HelpWords.h"
#include "RunCommand.h"

namespace {

TEST(ManualTest, EveryCommandOfTheHelpIsDocumentedAndNoOther) {
    const CommandResult help = runCommand(shellQuote(QUILLON_CLI) + " --help");
    ASSERT_EQ(help.status, 0);
    // A synopsis line of the help is indented by two blanks; descriptions by more.
    const auto listed =
        matches(help.output, std::regex(R"((?:^|\n)  ([a-z][a-z-]*(?: [a-z][a-z-]*)?)(?= |\n))"));

    std::ifstream file(QUILLON_MANUAL_SOURCE "/cli.html");
    ASSERT_TRUE(file) << "no cli.html";
    const std::string page((std::istreambuf_iterator<char>(file)), {});
    const auto documented = matches(
        page,
        std::regex(
            R"re(class="command"[^>]*><code>quillon-cli ([a-z][a-z-]*(?: [a-z][a-z-]*)?)(?=[ <]))re"));

    EXPECT_GE(listed.size(), 10u) << join(listed);
    EXPECT_EQ(join(listed), join(documented));
}

}  // namespace
