// The rip window run from the main window, on a disc image, as a user runs it.
#include <gtest/gtest.h>

#include <QApplication>

#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>

#include "RipWindowFixture.h"
#include "TestFiles.h"
#include "WaitFor.h"

namespace {

TEST_F(RipWindowTest, RipsCheckedTracksToWavFiles) {
    QTest::mouseClick(main->findChild<QRadioButton*>("wavcheck"), Qt::LeftButton);
    ripWith([this] { return closeWhenFinished(); });
    EXPECT_FALSE(rip->isVisible());
    EXPECT_EQ(rip->findChild<QProgressBar*>("Gauge1")->value(), 100);
    const auto first = readBytes("out/Track-01.wav");
    ASSERT_EQ(first.size(), 44u + 150 * 2352);
    EXPECT_TRUE(std::equal(first.begin() + 44, first.end(), image.audio.begin()));
    EXPECT_EQ(std::filesystem::file_size("out/Track-02.wav"), 44u + 1500 * 2352);
    EXPECT_TRUE(main->mediaPlayer().isOpen()) << "the player has the drive back";
}

TEST_F(RipWindowTest, OggTracksAreUncheckedAsTheyFinish) {
    QTest::mouseClick(main->findChild<QRadioButton*>("oggcheck"), Qt::LeftButton);
    auto* list = main->findChild<QTreeWidget*>("ListView1");
    list->setCurrentItem(list->topLevelItem(1));
    ripWith([this] { return closeWhenFinished(); });
    EXPECT_TRUE(list->topLevelItem(1)->isSelected()) << "the user's row outlives the refreshes";
    EXPECT_FALSE(list->topLevelItem(0)->isSelected());
    EXPECT_EQ(main->currentRow(), 1);
    EXPECT_TRUE(std::filesystem::exists("out/Track-01.Ogg"));
    EXPECT_TRUE(std::filesystem::exists("out/Track-02.Ogg"));
    EXPECT_FALSE(main->tracks().anyChecked());
    EXPECT_FALSE(std::filesystem::exists("out/Track-02.Ogg.convert"));
}

TEST_F(RipWindowTest, AFinishedRipOfANamedDiscLeavesTheAlbumsPlaylist) {
    DiscMetadata names;
    names.source = DiscMetadata::Source::cddb;
    names.artist = "Artist";
    names.album = "Album";
    names.tracks = {{"One", "", "", ""}, {"Two", "", "", ""}};
    main->setDiscMetadata(names);
    QTest::mouseClick(main->findChild<QRadioButton*>("oggcheck"), Qt::LeftButton);
    ripWith([this] { return closeWhenFinished(); });
    ASSERT_TRUE(waitFor([] { return std::filesystem::exists("out/Album.m3u8"); }));
    const auto text = readBytes("out/Album.m3u8");
    EXPECT_EQ(std::string(text.begin(), text.end()),
              "#EXTM3U\n#EXTINF:2,Artist - One\nTrack-01.Ogg\n#EXTINF:20,Artist - Two\n"
              "Track-02.Ogg\n");
}

TEST_F(RipWindowTest, CancelAsksFirstAndNoKeepsGoing) {
    QTest::mouseClick(main->findChild<QRadioButton*>("wavcheck"), Qt::LeftButton);
    int questions = 0;
    bool clicked = false;
    ripWith([&] {
        if (!clicked && rip->windowTitle().startsWith("Processing:")) {
            clicked = true;
            // The question comes up inside the click: answer it from a timer of its own.
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                ASSERT_NE(box, nullptr);
                ++questions;
                EXPECT_EQ(box->text(), "Cancel or not?");
                QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
            });
            QTest::mouseClick(button(), Qt::LeftButton);
            return false;
        }
        return closeWhenFinished();
    });
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(std::filesystem::file_size("out/Track-02.wav"), 44u + 1500 * 2352);
}

// Answers the question the next click or key brings up, from a timer of its own.
void answerCancelQuestion(QMessageBox::StandardButton answer, int& questions) {
    QTimer::singleShot(0, [answer, &questions] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        ++questions;
        EXPECT_EQ(box->text(), "Cancel or not?");
        QTest::mouseClick(box->button(answer), Qt::LeftButton);
    });
}

TEST_F(RipWindowTest, EscapeCancelsWhileWorkingAndClosesAfterwards) {
    QTest::mouseClick(main->findChild<QRadioButton*>("wavcheck"), Qt::LeftButton);
    int questions = 0;
    bool pressed = false;
    bool hiddenWhileWorking = false;
    ripWith([&] {
        if (rip->windowTitle().startsWith("Processing:02")) {
            hiddenWhileWorking |= !rip->isVisible();
            if (!pressed) {
                pressed = true;
                answerCancelQuestion(QMessageBox::Yes, questions);
                QTest::keyClick(button(), Qt::Key_Escape);
            }
            return false;
        }
        if (rip->windowTitle() != "Finished!") return false;
        EXPECT_TRUE(rip->isVisible()) << "a cancelled WAV job stays open";
        QTest::keyClick(button(), Qt::Key_Escape);
        return true;
    });
    EXPECT_FALSE(hiddenWhileWorking);
    EXPECT_EQ(questions, 1);
    EXPECT_FALSE(rip->isVisible());
    EXPECT_TRUE(std::filesystem::exists("out/Track-01.wav"));
    EXPECT_FALSE(std::filesystem::exists("out/Track-02.wav")) << "the partial file is deleted";
    EXPECT_TRUE(main->timer().isActive());
}

// A cancelled MP3 job closes its window itself, though it still counts as working then.
TEST_F(RipWindowTest, ACancelledMp3JobStillClosesItsWindow) {
    int questions = 0;
    bool pressed = false;
    bool leftOpen = false;
    ripWith([&] {
        if (!pressed && rip->windowTitle().startsWith("Processing:02")) {
            pressed = true;
            answerCancelQuestion(QMessageBox::Yes, questions);
            QTest::keyClick(button(), Qt::Key_Escape);
        }
        leftOpen = rip->isVisible() && closeWhenFinished();
        return leftOpen;
    });
    EXPECT_FALSE(leftOpen);
    EXPECT_EQ(questions, 1);
    EXPECT_FALSE(rip->isVisible());
    EXPECT_EQ(rip->job().outcome(), RipOutcome::cancelled);
    EXPECT_TRUE(std::filesystem::exists("out/Track-01.mp3"));
    EXPECT_FALSE(std::filesystem::exists("out/Track-02.mp3"));
    EXPECT_FALSE(std::filesystem::exists("out/Track-02.mp3.convert"));
}

// Every way of closing a window leaves it up while an Ogg track is converted, and the main
// window keeps its hands off the drive until the job is over.
TEST_F(RipWindowTest, NothingClosesTheWindowWhileTracksAreConverted) {
    QTest::mouseClick(main->findChild<QRadioButton*>("oggcheck"), Qt::LeftButton);
    int questions = 0;
    bool tried = false;
    ripWith([&] {
        // Past 40 the gauge follows the sink's worker, which converts the last track.
        if (!tried && rip->windowTitle().startsWith("Processing:02") && rip->job().gauge() > 40) {
            tried = true;
            answerCancelQuestion(QMessageBox::No, questions);
            QTest::keyClick(button(), Qt::Key_Escape);
            rip->reject();
            rip->accept();
            EXPECT_FALSE(rip->close());
            EXPECT_TRUE(rip->isVisible());
            EXPECT_FALSE(main->timer().isActive());
            EXPECT_FALSE(main->mediaPlayer().isOpen());
            return false;
        }
        return closeWhenFinished();
    });
    EXPECT_TRUE(tried);
    EXPECT_EQ(questions, 1);
    EXPECT_TRUE(std::filesystem::exists("out/Track-02.Ogg"));
    EXPECT_FALSE(main->tracks().anyChecked());
    EXPECT_TRUE(main->timer().isActive());
}

// The window as the job drives it: reading news while a track is read, results at the end.
TEST_F(RipWindowTest, ShowsTheReadingOfTheCurrentTrackAndEachTracksResult) {
    using Status = quillon::accuraterip::TrackVerdict::Status;
    RipObserver& job = rip->observer();
    auto* reading = rip->findChild<QLabel*>("readinglabel");
    auto* results = rip->findChild<QListWidget*>("resultlist");
    ASSERT_NE(reading, nullptr);
    ASSERT_NE(results, nullptr);
    EXPECT_TRUE(results->isHidden());

    job.captionChanged("Processing:01 (Track-01)");
    job.readingChanged(3, {});
    EXPECT_EQ(reading->text(), "Re-read sectors: 3");
    job.readingChanged(5, {"00:01.40"});
    EXPECT_EQ(reading->text(), "Re-read sectors: 5, unsettled: 00:01.40");
    job.readingChanged(9, {"00:01.40", "00:02.07", "00:02.08\nforged"});
    EXPECT_EQ(reading->text(), "Re-read sectors: 9, unsettled: 3 (last at 00:02.08 forged)");
    job.captionChanged("Processing:02 (Track-02)");
    EXPECT_EQ(reading->text(), "") << "the next track starts afresh";

    RipReport report;
    for (int n = 1; n <= 4; ++n) {
        TrackRipReport track;
        track.number = n;
        track.secure = true;
        report.tracks.push_back(track);
    }
    report.tracks[0].verdict = {Status::accurate, 12, 2};
    report.tracks[1].verdict.status = Status::mismatch;
    report.tracks[2].verdict.status = Status::notFound;
    report.tracks[3].verdict = {Status::accurate, 3, 1};
    report.tracks[3].unsettledPositions = {"03:12.40"};
    job.ripReported(report);
    job.captionChanged("Finished!");
    job.buttonChanged(RipButton::close);

    EXPECT_FALSE(results->isHidden());
    QStringList lines;
    for (int row = 0; row < results->count(); ++row)
        lines << results->item(row)->text();
    EXPECT_EQ(lines, (QStringList{"01 accurate, confidence 12", "02 mismatch", "03 not in database",
                                  "04 1 unsettled position at 03:12.40"}));
    const QString summary =
        "1 of 4 tracks accurate, 1 with 1 unsettled position, 1 mismatch, 1 not in database";
    EXPECT_EQ(reading->text(), summary);
    EXPECT_EQ(rip->windowTitle(), "Finished!");
    EXPECT_TRUE(rip->finishedMessage().startsWith("4 tracks ripped to MP3 in "));
    EXPECT_TRUE(rip->finishedMessage().endsWith("\n" + summary));

    report.mode = RipReadMode::fast;
    report.tracks.resize(1);
    job.ripReported(report);
    EXPECT_EQ(results->count(), 1);
    EXPECT_TRUE(rip->finishedMessage().startsWith("1 track ripped to MP3 in "));
    EXPECT_TRUE(
        rip->finishedMessage().endsWith("\nFast read of 1 track, not verified: 1 "
                                        "matching AccurateRip"));

    // The next job starts without the last one's results.
    bool checked = false;
    ripWith([&] {
        if (!checked && rip->windowTitle().startsWith("Processing:")) {
            checked = true;
            EXPECT_TRUE(results->isHidden());
            EXPECT_EQ(results->count(), 0);
            EXPECT_NE(reading->text(), summary);
        }
        return closeWhenFinished();
    });
    EXPECT_TRUE(checked);
}

TEST_F(RipWindowTest, NothingCheckedShowsNothing) {
    main->unselectAll();
    bool shown = false;
    ripWith([&] {
        shown = true;
        return true;
    });
    EXPECT_FALSE(rip->isVisible());
    EXPECT_FALSE(std::filesystem::exists("out/Track-01.mp3"));
}

}  // namespace
