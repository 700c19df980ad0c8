#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "CddbTestServer.h"
#include "DiscImages.h"
#include "TestFiles.h"

namespace {

struct CliRun {
    int status = -1;
    std::string out;
};

// Runs quillon-cli in folder with the given arguments.
CliRun runCli(const std::filesystem::path& folder, const std::string& arguments) {
    const auto outFile = folder / "cli-out.txt";
    const std::string command = "cd '" + folder.string() + "' && '" + QUILLON_CLI + "' " +
                                arguments + " > '" + outFile.string() + "' 2>&1";
    CliRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream in(outFile);
    std::stringstream text;
    text << in.rdbuf();
    run.out = text.str();
    return run;
}

class CdCli : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directory(m_temp.path() / "discs");
        writeCueImage(m_temp.path() / "discs", "b-album", {1000, 2000, 3000});
        writeTocImage(m_temp.path() / "discs", "a-single", {100});
    }

    // The image's drive number: the machine's own drives come first.
    std::string driveOf(const std::string& image) {
        const std::string list = runCli(m_temp.path(), "drives").out;
        const size_t at = list.find("  " + image + "\n");
        if (at == std::string::npos) return "none";
        const size_t lineStart = list.rfind('\n', at);
        return list.substr(lineStart == std::string::npos ? 0 : lineStart + 1,
                           at - (lineStart == std::string::npos ? 0 : lineStart + 1));
    }

    TempDir m_temp;
};

TEST_F(CdCli, DrivesAndTableOfContents) {
    const CliRun drives = runCli(m_temp.path(), "drives");
    EXPECT_EQ(drives.status, 0);
    EXPECT_NE(drives.out.find("a-single.toc\n"), std::string::npos) << drives.out;
    EXPECT_LT(drives.out.find("a-single.toc"), drives.out.find("b-album.cue"));

    const CliRun toc = runCli(m_temp.path(), "toc --drive " + driveOf("b-album.cue"));
    EXPECT_EQ(toc.status, 0) << toc.out;
    EXPECT_NE(toc.out.find("   02      1000      2000\n"), std::string::npos) << toc.out;
    EXPECT_NE(toc.out.find("Lead-out   6000\n"), std::string::npos) << toc.out;
    EXPECT_NE(toc.out.find("Disc ID   0e005003\n"), std::string::npos) << toc.out;
    // Worked out apart from the program: SHA-1 of "0103" + the lead-out and the three offsets
    // (lead-in included) in eight hexadecimal digits each, then 96 zero offsets.
    EXPECT_NE(toc.out.find("\nMusicBrainz disc ID YIs2JaeFwTagVUuCe8pInnKxqjQ-\n"),
              std::string::npos)
        << toc.out;
    EXPECT_NE(runCli(m_temp.path(), "toc --drive " + driveOf("a-single.toc"))
                  .out.find("\nMusicBrainz disc ID dwcidWbu8Lewa.hrKKGDZoVpBXE-\n"),
              std::string::npos);

    // A drive named by its image path stays the same whatever else the folder holds.
    const CliRun byPath = runCli(m_temp.path(), "toc --drive ./discs/b-album.cue");
    EXPECT_EQ(byPath.out, toc.out);

    EXPECT_EQ(runCli(m_temp.path(), "toc --drive 9").status, 2);
    EXPECT_EQ(runCli(m_temp.path(), "toc --drive discs/none.cue").status, 2);
    EXPECT_EQ(runCli(m_temp.path(), "toc extra").status, 2);
}

TEST_F(CdCli, CddbLookupShowsTheTitles) {
    CddbTestServer server;
    server.addEntry(
        {"rock",
         "0e005003",
         "Band / Record",
         {"DTITLE=Band / Record", "TTITLE0=One", "TTITLE1=Two\x1b[2J", "TTITLE2=Three"}});
    const CliRun run =
        runCli(m_temp.path(), "cddb --drive " + driveOf("b-album.cue") + " --server " +
                                  server.address() + " --email me@example.org");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out,
              "Disc ID   0e005003\nArtist    Band\nTitle     Record\nCategory  rock\n"
              "01  One\n02  Two?[2J\n03  Three\n");
    EXPECT_EQ(server.requests().back().hello, "me example.org quillon-cli 0.1");

    const CliRun unknown = runCli(
        m_temp.path(), "cddb --drive " + driveOf("a-single.toc") + " --server " + server.address());
    EXPECT_EQ(unknown.status, 1);  // the single is not in this server's database
    EXPECT_NE(unknown.out.find("no record in CDDB"), std::string::npos) << unknown.out;
}

}  // namespace
