#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "NamingTemplate.h"
#include "Playlist.h"
#include "TestFiles.h"

namespace {

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Two tracks of 10 and 20 seconds.
TrackList twoRows() {
    CdToc toc{};
    toc.firstTrack = 1;
    toc.lastTrack = 2;
    const std::uint32_t starts[] = {0, 750, 2250};
    for (int i = 0; i < 3; ++i) {
        toc.entries[i].trackNumber = i < 2 ? static_cast<std::uint8_t>(i + 1) : kCdLeadOutTrack;
        toc.entries[i].address[2] = static_cast<std::uint8_t>(starts[i] >> 8);
        toc.entries[i].address[3] = static_cast<std::uint8_t>(starts[i]);
    }
    TrackList list;
    list.buildFromToc(toc, OutputFormat::ogg);
    return list;
}

TEST(Playlist, TheAlbumFolderGetsAPlaylistWithRelativePaths) {
    DiscMetadata disc;
    disc.artist = "Band";
    disc.album = "Record";
    disc.tracks = {{"One", "", "", ""}, {"Two\nlines", "Guest", "", ""}};
    TrackList list = twoRows();
    applyNamingTemplate(list, disc, 1, "{albumartist}/{album}/{track} {title}", OutputFormat::ogg);

    TempDir temp;
    const auto written = writeAlbumPlaylist(temp.path().string(), list, disc, 1);
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, (temp.path() / "Band" / "Record" / "Record.m3u8").string());
    EXPECT_EQ(fileText(*written),
              "#EXTM3U\n"
              "#EXTINF:10,Band - One\n"
              "01 One.ogg\n"
              "#EXTINF:20,Guest - Two lines\n"
              "02 Two lines.ogg\n");

    // Only the checked rows were ripped; files in different folders share the output folder.
    list.row(0).checked = false;
    list.row(1).name = "#odd.ogg";
    const auto flat = writeAlbumPlaylist(temp.path().string(), list, DiscMetadata{}, 1);
    ASSERT_TRUE(flat);
    EXPECT_EQ(fileText(*flat), "#EXTM3U\n#EXTINF:20,Unknown Artist - Track-02\n./#odd.ogg\n");
    EXPECT_EQ(*flat, (temp.path() / "playlist.m3u8").string());

    list.row(1).checked = false;
    EXPECT_FALSE(writeAlbumPlaylist(temp.path().string(), list, disc, 1));
}

TEST(Playlist, PathsThatAreNotOneLineAreLeftOut) {
    EXPECT_EQ(playlistText({{"a\nb.ogg", 1, "x", "y"}, {"c.ogg", 2, "A\r", "T"}}),
              "#EXTM3U\n#EXTINF:2,A  - T\nc.ogg\n");
}

}  // namespace
