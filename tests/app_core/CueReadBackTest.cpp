// The cue sheet read back by a cue parser other programs use: the tracks, their files, pauses
// and names must come out as the rip left them.
#include <gtest/gtest.h>

#include <libcue.h>

#include <memory>
#include <string>

#include "RipReport.h"

namespace {

struct CdDeleter {
    void operator()(Cd* cd) const { cd_delete(cd); }
};

std::string textOf(Cdtext* text, Pti field) {
    const char* value = text ? cdtext_get(field, text) : nullptr;
    return value ? value : "";
}

TrackRipReport track(int number, std::uint32_t first, std::uint32_t count, std::string file) {
    TrackRipReport t;
    t.number = number;
    t.firstSector = first;
    t.sectorCount = count;
    t.file = std::move(file);
    return t;
}

TEST(CueReadBackTest, TracksFilesPausesAndNamesComeBackAsRipped) {
    RipReport report;
    report.programVersion = "2.1";
    report.artist = "Sigur \"Rós\"";
    report.album = "Ágætis\tbyrjun";
    // Hidden audio before track 1; a pause before track 2 at the end of track 1's file; no
    // pause before track 3; track 4 failed; track 5's pause lies in no ripped file.
    report.tracks.push_back(track(1, 40, 1000, "01 Intro.wav"));
    report.tracks[0].title = "Intro";
    report.tracks.push_back(track(2, 1040, 600, "02 Svefn-g-englar.mp3"));
    report.tracks[1].pregapSector = 890;
    report.tracks[1].title = "Svefn-g-englar";
    report.tracks[1].artist = "Guest \"G\"";
    report.tracks.push_back(track(3, 1640, 300, "03 Starálfur.Ogg"));
    report.tracks[2].pregapSector = 1640;
    report.tracks.push_back(track(4, 1940, 300, "04 Flugufrelsarinn.wav"));
    report.tracks[3].outcome = TrackRipReport::Outcome::failed;
    report.tracks.push_back(track(5, 2240, 300, "05 Ný batterí.wav"));
    report.tracks[4].pregapSector = 2165;

    const std::string sheet = cueSheetText(report);
    const std::unique_ptr<Cd, CdDeleter> cd(cue_parse_string(sheet.c_str()));
    ASSERT_NE(cd, nullptr) << sheet;
    EXPECT_EQ(textOf(cd_get_cdtext(cd.get()), PTI_PERFORMER), "Sigur 'Rós'");
    EXPECT_EQ(textOf(cd_get_cdtext(cd.get()), PTI_TITLE), "Ágætis byrjun");
    ASSERT_EQ(cd_get_ntrack(cd.get()), 4) << sheet;

    struct Expected {
        const char* file;
        long pause;    // index 00 in the previous file, -1 for none
        long silence;  // PREGAP, -1 for none
        long length;   // -1: to the end of the file
        const char* title;
        const char* performer;
    };
    const Expected expected[] = {
        {"01 Intro.wav", -1, 40, 850, "Intro", ""},
        {"02 Svefn-g-englar.mp3", 850, -1, -1, "Svefn-g-englar", "Guest 'G'"},
        {"03 Starálfur.Ogg", -1, -1, -1, "", ""},
        {"05 Ný batterí.wav", -1, 75, -1, "", ""},
    };
    for (int i = 0; i < 4; ++i) {
        Track* t = cd_get_track(cd.get(), i + 1);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(track_get_filename(t), std::string(expected[i].file)) << i;
        EXPECT_EQ(track_get_mode(t), MODE_AUDIO) << i;
        EXPECT_EQ(track_get_start(t), 0) << i;
        EXPECT_EQ(track_get_index(t, 1), 0) << i;
        EXPECT_EQ(track_get_index(t, 0), expected[i].pause) << i;
        EXPECT_EQ(track_get_zero_pre(t), expected[i].silence) << i;
        EXPECT_EQ(track_get_length(t), expected[i].length) << i;
        EXPECT_EQ(textOf(track_get_cdtext(t), PTI_TITLE), expected[i].title) << i;
        EXPECT_EQ(textOf(track_get_cdtext(t), PTI_PERFORMER), expected[i].performer) << i;
    }
}

}  // namespace
