// The reading settings: their defaults, the values a hand-edited file may hold, and the read
// offset each drive keeps under its own model.
#include <gtest/gtest.h>

#include "IniFile.h"
#include "RipSettings.h"
#include "TestFiles.h"

namespace {

TEST(ReadingSettings, DefaultsAndStoredValues) {
    const ReadingSettings defaults = readReadingSettings(TIniFile::FromText(""), "Drive");
    EXPECT_EQ(defaults.mode, RipReadMode::secure);
    EXPECT_EQ(defaults.retries, 20);
    EXPECT_EQ(defaults.offset, 0);
    EXPECT_FALSE(defaults.test);
    EXPECT_EQ(defaults.accurateRipServer, "www.accuraterip.com");

    const ReadingSettings stored = readReadingSettings(
        TIniFile::FromText("[Reading]\nmode=fast\nretries=5\noffset=-30\ntest=True\n"
                           "[AccurateRip]\nserver=http://127.0.0.1:8080/base\n"),
        "Drive");
    EXPECT_EQ(stored.mode, RipReadMode::fast);
    EXPECT_EQ(stored.retries, 5);
    EXPECT_EQ(stored.offset, -30);
    EXPECT_TRUE(stored.test);
    EXPECT_EQ(stored.accurateRipServer, "http://127.0.0.1:8080/base");

    // What cannot be meant falls back to the default: an unknown mode reads securely, and an
    // offset farther than any drive's, or not a number, is no offset.
    for (const char* text :
         {"[Reading]\nmode=turbo\nretries=-1\noffset=30000\n[AccurateRip]\nserver=\n",
          "[Reading]\nmode=\nretries=1001\noffset=6 samples\n",
          "[Reading]\nretries=many\noffset=+\n", "[Reading]\noffset=99999999999999\n"}) {
        SCOPED_TRACE(text);
        const ReadingSettings odd = readReadingSettings(TIniFile::FromText(text), "Drive");
        EXPECT_EQ(odd.mode, RipReadMode::secure);
        EXPECT_EQ(odd.retries, 20);
        EXPECT_EQ(odd.offset, 0);
        EXPECT_EQ(odd.accurateRipServer, "www.accuraterip.com");
    }
    EXPECT_EQ(readReadingSettings(TIniFile::FromText("[Reading]\noffset=+667\n"), "").offset, 667);
    EXPECT_EQ(readReadingSettings(TIniFile::FromText("[Reading]\nretries=0\n"), "").retries, 0);
}

TEST(ReadingSettings, EachDriveKeepsItsOwnOffset) {
    EXPECT_EQ(driveOffsetKey("  PLEXTOR  DVDR   PX-716A 1.11 "), "PLEXTOR  DVDR   PX-716A 1.11");
    EXPECT_EQ(driveOffsetKey("a=b[c]d;e\tf"), "a b c d e f");
    EXPECT_EQ(driveOffsetKey("#1 Drive"), "1 Drive");
    EXPECT_EQ(driveOffsetKey(""), "unknown drive");
    EXPECT_EQ(driveOffsetKey(" ;= "), "unknown drive");

    TempDir temp;
    TIniFile settings((temp.path() / "settings.ini").string());
    ASSERT_TRUE(writeDriveOffset(settings, "Maker [Model]=1", 6));
    ASSERT_TRUE(writeDriveOffset(settings, "#Other; drive", -472));
    // Each drive reads its own back, from a fresh reading of the file; a drive never seen
    // starts from the last offset stored.
    const TIniFile reread((temp.path() / "settings.ini").string());
    EXPECT_EQ(readReadingSettings(reread, "Maker [Model]=1").offset, 6);
    EXPECT_EQ(readReadingSettings(reread, "#Other; drive").offset, -472);
    EXPECT_EQ(readReadingSettings(reread, "New drive").offset, -472);

    // Farther than any drive's offset is refused rather than stored to be ignored.
    EXPECT_FALSE(writeDriveOffset(settings, "Maker [Model]=1", kMaxReadOffset + 1));
    EXPECT_EQ(readReadingSettings(settings, "Maker [Model]=1").offset, 6);

    // A settings file that cannot be written says so.
    TIniFile unwritable((temp.path() / "missing" / "settings.ini").string());
    EXPECT_FALSE(writeDriveOffset(unwritable, "Drive", 6));
}

}  // namespace
