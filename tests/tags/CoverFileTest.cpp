// Saving the album's cover beside the ripped files: once, under the name its kind gives, never
// over a cover that is already there, and never half written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "CoverFile.h"
#include "TagReading.h"
#include "TestFiles.h"

namespace {

using Outcome = CoverSaveResult::Outcome;
namespace fs = std::filesystem;

std::vector<std::string> entries(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(CoverFile, SavesEachKindUnderItsNameReadableByAll) {
    for (const auto& [file, mime, name] : {std::tuple{"front.jpg", "image/jpeg", "cover.jpg"},
                                           std::tuple{"front.png", "image/png", "cover.png"}}) {
        TempDir dir;
        const auto cover = coverFile(file, mime);
        const CoverSaveResult result =
            saveCover(cover.get(), dir.path().string(), kDefaultMaxCoverBytes);
        ASSERT_EQ(result.outcome, Outcome::saved) << result.error;
        EXPECT_EQ(result.path, dir.file(name));
        EXPECT_EQ(readBytes(dir.file(name)), cover->data);
        EXPECT_EQ(entries(dir), std::vector<std::string>{name}) << "no temporary file left";
        // The permissions any new file of the user gets, as the sound files beside it.
        writeBytes(dir.file("plain"), {});
        struct stat info {
        }, plain{};
        ASSERT_EQ(::stat(dir.file(name).c_str(), &info), 0);
        ASSERT_EQ(::stat(dir.file("plain").c_str(), &plain), 0);
        EXPECT_EQ(info.st_mode, plain.st_mode);
    }
}

TEST(CoverFile, AnExistingCoverStays) {
    TempDir dir;
    const auto jpeg = coverFile("front.jpg", "image/jpeg");
    const auto png = coverFile("front.png", "image/png");
    const std::string folder = dir.path().string();
    ASSERT_EQ(saveCover(jpeg.get(), folder, kDefaultMaxCoverBytes).outcome, Outcome::saved);

    const CoverSaveResult again = saveCover(jpeg.get(), folder, kDefaultMaxCoverBytes);
    EXPECT_EQ(again.outcome, Outcome::alreadySaved);
    EXPECT_EQ(again.path, dir.file("cover.jpg"));
    // Another picture, of the other kind too, does not replace it nor join it.
    const CoverSaveResult other = saveCover(png.get(), folder, kDefaultMaxCoverBytes);
    EXPECT_EQ(other.outcome, Outcome::keptOther);
    EXPECT_EQ(other.path, dir.file("cover.jpg"));
    EXPECT_EQ(readBytes(dir.file("cover.jpg")), jpeg->data);
    EXPECT_EQ(entries(dir), std::vector<std::string>{"cover.jpg"});

    // A link by that name is the user's doing: it stays, and so does what it points to.
    TempDir linked;
    writeBytes(linked.file("elsewhere.png"), {'u', 's', 'e', 'r'});
    fs::create_symlink(linked.file("elsewhere.png"), linked.file("cover.png"));
    EXPECT_EQ(saveCover(jpeg.get(), linked.path().string(), kDefaultMaxCoverBytes).outcome,
              Outcome::keptOther);
    EXPECT_EQ(readBytes(linked.file("elsewhere.png")), (std::vector<uint8_t>{'u', 's', 'e', 'r'}));
}

TEST(CoverFile, NothingIsWrittenForNoCoverJunkOrTooMuch) {
    TempDir dir;
    const std::string folder = dir.path().string();
    const auto jpeg = coverFile("front.jpg", "image/jpeg");
    EXPECT_EQ(saveCover(nullptr, folder, kDefaultMaxCoverBytes).outcome, Outcome::noCover);
    CoverArt empty;
    EXPECT_EQ(saveCover(&empty, folder, kDefaultMaxCoverBytes).outcome, Outcome::noCover);
    CoverArt html{"image/jpeg", {'<', 'h', 't', 'm', 'l', '>'}};
    EXPECT_EQ(saveCover(&html, folder, kDefaultMaxCoverBytes).outcome, Outcome::notAPicture);
    EXPECT_EQ(saveCover(jpeg.get(), folder, jpeg->data.size() - 1).outcome, Outcome::tooLarge);
    EXPECT_EQ(saveCover(jpeg.get(), folder, 0).outcome, Outcome::tooLarge);
    EXPECT_TRUE(entries(dir).empty());
    EXPECT_EQ(saveCover(jpeg.get(), folder, jpeg->data.size()).outcome, Outcome::saved)
        << "the cap itself is allowed";

    const CoverSaveResult missing =
        saveCover(jpeg.get(), dir.file("no such folder"), kDefaultMaxCoverBytes);
    EXPECT_EQ(missing.outcome, Outcome::failed);
    EXPECT_NE(missing.error.find("no such folder"), std::string::npos) << missing.error;
}
