// File names from the name template: fields, folders, today's names by default, and names
// from hostile sources that must not leave the output folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "MetadataSettings.h"
#include "NamingTemplate.h"
#include "SafeFileName.h"
#include "TestFiles.h"

namespace {

DiscMetadata album() {
    DiscMetadata disc;
    disc.artist = "Hollow Lanterns";
    disc.album = "Lantern Songs";
    disc.year = "2004-03-01";
    disc.discNumber = 2;
    disc.tracks = {{"Harbour", "", "", ""}, {"Duet", "Mara Venn", "", ""}, {"", "", "", ""}};
    return disc;
}

// Three tracks of 1000 frames from track `first`.
TrackList threeRows(OutputFormat format, int first = 1) {
    CdToc toc{};
    toc.firstTrack = static_cast<std::uint8_t>(first);
    toc.lastTrack = static_cast<std::uint8_t>(first + 2);
    for (int i = 0; i < 4; ++i) {
        toc.entries[i].trackNumber =
            i < 3 ? static_cast<std::uint8_t>(first + i) : std::uint8_t{kCdLeadOutTrack};
        toc.entries[i].address[2] = static_cast<std::uint8_t>((i * 1000) >> 8);
        toc.entries[i].address[3] = static_cast<std::uint8_t>(i * 1000);
    }
    TrackList list;
    list.buildFromToc(toc, format);
    return list;
}

std::vector<std::string> names(const TrackList& list) {
    std::vector<std::string> result;
    for (const TrackRow& row : list.rows())
        result.push_back(row.name);
    return result;
}

TEST(NamingTemplate, FieldsFillTheTemplateAndSlashesMakeFolders) {
    const DiscMetadata disc = album();
    EXPECT_EQ(namedPath("{albumartist}/{album} ({year})/{disc}-{track} {artist} - {title}",
                        namingFields(disc, 1, 2)),
              "Hollow Lanterns/Lantern Songs (2004)/2-02 Mara Venn - Duet");
    // Missing names: the list's own track name, and words for the folders.
    EXPECT_EQ(namedPath("{artist}/{album}/{title}", namingFields(DiscMetadata{}, 0, 7)),
              "Unknown Artist/Unknown Album/Track-07");
    // Fields that come out empty leave no empty folder behind.
    EXPECT_EQ(namedPath("{year}/{disc}//{title}", namingFields(DiscMetadata{}, 0, 7)), "Track-07");
    EXPECT_EQ(namedPath("{year}", namingFields(DiscMetadata{}, 0, 7)), "Track-07");

    EXPECT_FALSE(namingTemplateError("{artist}/{album}/{track} {title}"));
    EXPECT_TRUE(namingTemplateError("{artist}/{Album}"));
    EXPECT_TRUE(namingTemplateError("{title"));
}

// The default template names files as the program always did: the track's title, or
// Track-NN without one.
TEST(NamingTemplate, TheDefaultKeepsTodaysNames) {
    TrackList list = threeRows(OutputFormat::mp3, 4);
    const auto before = names(list);
    applyNamingTemplate(list, DiscMetadata{}, 4, kDefaultNamingTemplate, OutputFormat::mp3);
    EXPECT_EQ(names(list), before);
    EXPECT_EQ(before[0], "Track-04.mp3");
    applyNamingTemplate(list, album(), 4, kDefaultNamingTemplate, OutputFormat::ogg);
    EXPECT_EQ(names(list), (std::vector<std::string>{"Harbour.ogg", "Duet.ogg", "Track-06.ogg"}));
}

TEST(NamingTemplate, HostileFieldsStayOneSafeComponent) {
    DiscMetadata disc;
    disc.artist = "../../..";
    disc.album = "/etc/";
    disc.tracks = {{".hidden", "", "", ""},
                   {std::string("a\0b\x1B[31m\nc", 10), "", "", ""},
                   {"   ", "..", "", ""}};
    const std::string pattern = "{albumartist}/{album}/{title}";
    EXPECT_EQ(namedPath(pattern, namingFields(disc, 0, 1)), "___.._../_etc_/_hidden");
    EXPECT_EQ(namedPath(pattern, namingFields(disc, 1, 2)), "___.._../_etc_/a_b [31m c");
    EXPECT_EQ(namedPath("{artist}/{title}", namingFields(disc, 2, 3)), "__/Track-03");
    // The template's own text cannot climb out either.
    EXPECT_EQ(namedPath("/../{title}/./.x", namingFields(disc, 2, 3)), "__/Track-03/_/_x");

    // Each component is capped in bytes without cutting a character in two.
    disc.album = std::string(kMaxNameComponentBytes - 1, 'a') + "\xC3\xA9" + "tail";
    const std::string path = namedPath("{album}/{title}", namingFields(disc, 2, 3));
    EXPECT_EQ(path, std::string(kMaxNameComponentBytes - 1, 'a') + "/Track-03");
    disc.album = std::string(5000, 'x');
    const std::string longPath = namedPath("{album}{album}", namingFields(disc, 2, 3));
    EXPECT_EQ(longPath.size(), kMaxNameComponentBytes);
}

TEST(NamingTemplate, RowsOfOneNameAreToldApart) {
    TrackList list = threeRows(OutputFormat::wav);
    applyNamingTemplate(list, album(), 1, "{album}", OutputFormat::wav);
    EXPECT_EQ(names(list), (std::vector<std::string>{"Lantern Songs.wav", "Lantern Songs (2).wav",
                                                     "Lantern Songs (3).wav"}));
}

TEST(NamingTemplate, RenameKeepsTheFoldersAndOutputPathMakesThem) {
    TrackList list = threeRows(OutputFormat::mp3);
    applyNamingTemplate(list, album(), 1, "{albumartist}/{album}/{track} {title}",
                        OutputFormat::mp3);
    EXPECT_EQ(list.row(0).name, "Hollow Lanterns/Lantern Songs/01 Harbour.mp3");
    EXPECT_EQ(TrackList::renameEditText(list.row(0).name), "01 Harbour");
    list.rename(0, "My/Song", OutputFormat::mp3);  // a file name, not a folder
    EXPECT_EQ(list.row(0).name, "Hollow Lanterns/Lantern Songs/My_Song.mp3");

    TempDir temp;
    const std::string folder = temp.path().string();
    EXPECT_EQ(outputPath(folder, list.row(0).name),
              folder + "/Hollow Lanterns/Lantern Songs/My_Song.mp3");
    EXPECT_TRUE(std::filesystem::is_directory(temp.path() / "Hollow Lanterns" / "Lantern Songs"));
    // Names without folders are what they always were, and make no folder.
    EXPECT_EQ(outputPath(folder, "  Two  words .wav  "), folder + "/Two  words .wav");
    EXPECT_EQ(outputPath(folder, " .. "), folder + "/__");
    EXPECT_EQ(outputPath(folder, "a//../b.wav"), folder + "/a/__/b.wav");
    EXPECT_TRUE(std::filesystem::is_directory(temp.path() / "a" / "__"));
}

}  // namespace
