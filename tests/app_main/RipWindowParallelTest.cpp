// The rip window during a rip with several encoders: the job's reports played through the
// window as the job makes them, and a single-encoder rip after one.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>

#include "RipEncodersView.h"
#include "RipWindowFixture.h"
#include "TestFiles.h"

namespace {

class RipWindowParallelTest : public RipWindowTest {
  protected:
    RipEncodersView* view() { return rip->findChild<RipEncodersView*>("encoders"); }
    QString readingLine() { return rip->findChild<QLabel*>("readingline")->text(); }
    QProgressBar* discBar() { return rip->findChild<QProgressBar*>("discgauge"); }
    QListWidget* results() { return rip->findChild<QListWidget*>("resultlist"); }
    // The encoders' lines shown, each as "<text>|<bar>".
    QStringList encoderLines() {
        QStringList lines;
        for (QWidget* row : view()->findChildren<QWidget*>("encoderrow"))
            if (!row->isHidden())
                lines << row->findChild<QLabel*>("encoderlabel")->text() + "|" +
                             QString::number(row->findChild<QProgressBar*>()->value());
        return lines;
    }
    static RipProgress::Track track(std::size_t row, int percent, std::string name = {}) {
        RipProgress::Track made;
        made.row = row;
        made.caption = (row < 9 ? "0" : "") + std::to_string(row + 1);
        made.name = name.empty() ? "Track-" + made.caption : name;
        made.percent = percent;
        return made;
    }
    static RipProgress progress(std::optional<RipProgress::Track> reading,
                                std::vector<RipProgress::Track> encoding, int disc) {
        RipProgress made;
        made.reading = std::move(reading);
        made.encoding = std::move(encoding);
        made.discPercent = disc;
        return made;
    }
    static RipReport reportOf(int tracks) {
        RipReport report;
        for (int n = 1; n <= tracks; ++n) {
            TrackRipReport track;
            track.number = n;
            track.secure = true;
            report.tracks.push_back(track);
        }
        return report;
    }
    // Lays the window out as it would be shown, without showing it: showing starts a job.
    void layOut(QWidget& window) {
        window.layout()->invalidate();
        window.layout()->activate();
    }
    // Whether each widget shown lies whole inside the window, at no less than its least height.
    static ::testing::AssertionResult fitsInside(QWidget& window,
                                                 const std::vector<QWidget*>& widgets) {
        for (QWidget* widget : widgets) {
            if (widget->isHidden()) continue;
            const QRect place(widget->mapTo(&window, QPoint(0, 0)), widget->size());
            if (!window.rect().contains(place) ||
                widget->height() < widget->minimumSizeHint().height())
                return ::testing::AssertionFailure()
                       << widget->objectName().toStdString() << " is clipped";
        }
        return ::testing::AssertionSuccess();
    }
    std::vector<QWidget*> windowParts() {
        return {rip->findChild<QProgressBar*>("Gauge1"), rip->findChild<QLabel*>("readinglabel"),
                view(), results(), button()};
    }
};

TEST_F(RipWindowParallelTest, ShowsTheReadTrackEachEncodedTrackAndTheWholeDisc) {
    RipObserver& job = rip->observer();
    ASSERT_NE(view(), nullptr);
    EXPECT_TRUE(view()->isHidden()) << "nothing of it before a job with several encoders";
    const int workingHeight = rip->height();

    job.captionChanged("Processing:03 (Track-03)");
    job.progressChanged(progress(track(2, 45), {track(0, 80), track(1, 30)}, 34));
    EXPECT_FALSE(view()->isHidden());
    EXPECT_EQ(readingLine(), "Reading: 03 Track-03 45%");
    EXPECT_EQ(encoderLines(), (QStringList{"01 Track-01|80", "02 Track-02|30"}));
    EXPECT_EQ(discBar()->value(), 34);
    EXPECT_GT(rip->height(), workingHeight);
    layOut(*rip);
    EXPECT_TRUE(fitsInside(*rip, windowParts()));
    const int twoLinesHeight = rip->height();

    // Track 01 is done: its line goes, and the next track takes the place.
    job.progressChanged(progress(track(3, 5), {track(1, 60), track(2, 0)}, 52));
    EXPECT_EQ(readingLine(), "Reading: 04 Track-04 5%");
    EXPECT_EQ(encoderLines(), (QStringList{"02 Track-02|60", "03 Track-03|0"}));
    EXPECT_EQ(discBar()->value(), 52);

    job.progressChanged(progress(std::nullopt, {track(3, 90)}, 97));
    EXPECT_EQ(readingLine(), "Reading: done");
    EXPECT_EQ(encoderLines(), (QStringList{"04 Track-04|90"}));
    EXPECT_EQ(rip->height(), twoLinesHeight) << "the window does not shrink under the user";

    job.progressChanged(progress(std::nullopt, {}, 100));
    EXPECT_TRUE(encoderLines().isEmpty());
    EXPECT_EQ(discBar()->value(), 100);
}

TEST_F(RipWindowParallelTest, ReportsReuseTheLinesTheyShow) {
    RipObserver& job = rip->observer();
    for (int step = 0; step <= 100; ++step)
        job.progressChanged(progress(track(2 + static_cast<std::size_t>(step % 5), step),
                                     {track(static_cast<std::size_t>(step % 5), step),
                                      track(1 + static_cast<std::size_t>(step % 5), step / 2)},
                                     step));
    EXPECT_EQ(view()->findChildren<QWidget*>("encoderrow").size(), 2);
    EXPECT_EQ(view()->findChildren<QProgressBar*>().size(), 3);
    EXPECT_EQ(encoderLines(), (QStringList{"01 Track-01|100", "02 Track-02|50"}));
}

TEST_F(RipWindowParallelTest, NamesFromOutsideStayOnOneLineAndInTheWindow) {
    RipObserver& job = rip->observer();
    const int width = rip->width();
    const std::string hostile = "Evil\nName\r\x1b[2J\u2028" + std::string(300, 'x');
    job.progressChanged(progress(track(1, 10, hostile), {track(0, 70, hostile)}, 20));
    const QString reading = readingLine();
    const QString line = encoderLines().value(0);
    for (const QString& text : {reading, line}) {
        EXPECT_FALSE(text.contains('\n') || text.contains('\r') || text.contains(QChar(0x1b)) ||
                     text.contains(QChar(0x2028)))
            << text.toStdString();
    }
    EXPECT_TRUE(reading.startsWith("Reading: 02 Evil Name")) << reading.toStdString();
    EXPECT_TRUE(reading.endsWith("x 10%"));
    EXPECT_TRUE(line.startsWith("01 Evil Name")) << line.toStdString();
    EXPECT_TRUE(line.endsWith("x|70"));
    EXPECT_EQ(rip->width(), width);
    layOut(*rip);
    EXPECT_LE(rip->layout()->minimumSize().width(), width) << "a long name widens nothing";
    EXPECT_TRUE(fitsInside(*rip, windowParts()));
}

TEST_F(RipWindowParallelTest, ManyEncodersScrollInsteadOfGrowingTheWindow) {
    RipObserver& job = rip->observer();
    auto encoding = [](std::size_t count) {
        std::vector<RipProgress::Track> tracks;
        for (std::size_t row = 0; row < count; ++row)
            tracks.push_back(track(row, 50));
        return tracks;
    };
    job.progressChanged(progress(track(40, 0), encoding(1), 1));
    const int oneLine = rip->height();
    job.progressChanged(progress(track(40, 0), encoding(6), 2));
    const int sixLines = rip->height();
    EXPECT_GT(sixLines, oneLine);
    job.progressChanged(progress(track(40, 0), encoding(40), 3));
    EXPECT_EQ(rip->height(), sixLines);
    EXPECT_EQ(encoderLines().size(), 40);
    layOut(*rip);
    EXPECT_TRUE(fitsInside(*rip, windowParts()));
}

// The results take the room of the encoders' lines; the whole disc's bar stays at its end.
TEST_F(RipWindowParallelTest, ResultsAfterwardsAreShownWhole) {
    const RipReport report = reportOf(4);
    TRipPropressForm single(*main);
    single.observer().ripReported(report);
    layOut(single);
    const int resultsHeight = single.findChild<QListWidget*>("resultlist")->height();

    RipObserver& job = rip->observer();
    for (std::size_t row = 0; row < 4; ++row)
        job.progressChanged(progress(track(row + 1, 50), {track(0, 10), track(1, 20)}, 60));
    job.progressChanged(progress(std::nullopt, {track(3, 99)}, 99));
    job.ripReported(report);
    job.captionChanged("Finished!");
    job.buttonChanged(RipButton::close);
    EXPECT_FALSE(results()->isHidden());
    EXPECT_EQ(results()->count(), 4);
    EXPECT_TRUE(encoderLines().isEmpty());
    EXPECT_TRUE(rip->findChild<QLabel*>("readingline")->isHidden());
    EXPECT_FALSE(discBar()->isHidden());
    EXPECT_EQ(discBar()->value(), 99);
    layOut(*rip);
    EXPECT_TRUE(fitsInside(*rip, windowParts()));
    EXPECT_GE(results()->height(), resultsHeight);

    // News after the report changes nothing of it.
    const int height = rip->height();
    job.progressChanged(progress(std::nullopt, {track(3, 100)}, 100));
    EXPECT_TRUE(encoderLines().isEmpty());
    EXPECT_EQ(rip->height(), height);
}

TEST_F(RipWindowParallelTest, ASingleEncoderRipAfterwardsLooksAsBefore) {
    const int workingHeight = rip->height();
    RipObserver& job = rip->observer();
    job.progressChanged(progress(track(1, 50), {track(0, 50)}, 40));
    ASSERT_FALSE(view()->isHidden());

    writeBytes("settings.ini", toBytes("[Folder]\nwav folder=out\nopen=False\n"
                                       "[AccurateRip]\nserver=127.0.0.1:1\n[Rip]\njobs=1\n"));
    QTest::mouseClick(main->findChild<QRadioButton*>("wavcheck"), Qt::LeftButton);
    bool checked = false;
    bool revealed = false;
    ripWith([&] {
        // From the job's start on: the window is up for a moment before it.
        checked |= rip->windowTitle().startsWith("Processing:");
        if (checked) revealed |= !view()->isHidden();
        if (checked && results()->isHidden()) {
            EXPECT_EQ(rip->height(), workingHeight);
        }
        return closeWhenFinished();
    });
    EXPECT_TRUE(checked);
    EXPECT_FALSE(revealed);
    EXPECT_FALSE(results()->isHidden());
    EXPECT_EQ(results()->count(), 2);
    EXPECT_TRUE(fitsInside(*rip, windowParts()));
}

TEST_F(RipWindowParallelTest, ARipWithTwoEncodersShowsThemAndEndsWithTheWholeDisc) {
    writeBytes("settings.ini", toBytes("[Folder]\nOgg folder=out\nopen=False\n"
                                       "[AccurateRip]\nserver=127.0.0.1:1\n[Rip]\njobs=2\n"));
    QTest::mouseClick(main->findChild<QRadioButton*>("oggcheck"), Qt::LeftButton);
    bool revealed = false;
    int encodingLinesSeen = 0;
    ripWith([&] {
        revealed |= !view()->isHidden();
        if (revealed && results()->isHidden())
            encodingLinesSeen = std::max(encodingLinesSeen, int(encoderLines().size()));
        return closeWhenFinished();
    });
    EXPECT_TRUE(revealed);
    EXPECT_GE(encodingLinesSeen, 1);
    EXPECT_EQ(discBar()->value(), 100);
    EXPECT_EQ(rip->job().outcome(), RipOutcome::finished);
    EXPECT_TRUE(std::filesystem::exists("out/Track-01.Ogg"));
    EXPECT_TRUE(std::filesystem::exists("out/Track-02.Ogg"));
    EXPECT_FALSE(results()->isHidden());
    EXPECT_TRUE(fitsInside(*rip, windowParts()));
}

}  // namespace
