// The Ogg player, driven as a user drives it, playing to in-memory sound devices.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>
#include <ctime>
#include <filesystem>

#include "MemoryWaveDevices.h"
#include "SendDrop.h"
#include "WindowTesting.h"
#include "oggplayerUnit.h"

namespace {

using namespace testing_windows;

// What the device has taken when the first step of a playback filled its queue.
constexpr size_t kQueued = 9 * 8192;

class PlayerTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        files = new TempDir;
        writeOgg(files->file("sixty.ogg"), 60.0);
        writeOgg(files->file("fiftynine.ogg"), 59.0);
        writeOgg(files->file("five.ogg"), 5.0);
        writeOgg(files->file("three-hours.ogg"), 10.0);
        claimLength(files->file("three-hours.ogg"), int64_t{3} * 3600 * 8000);
        writeBytes(files->file("broken.ogg"), std::vector<uint8_t>(3000, 'x'));
        sixty = new std::vector<uint8_t>(decodeOgg(files->file("sixty.ogg")));
        five = new std::vector<uint8_t>(decodeOgg(files->file("five.ogg")));
    }
    static void TearDownTestSuite() {
        delete sixty;
        delete five;
        delete files;
    }

    void SetUp() override {
        auto service = std::make_unique<MemoryWaveService>(
            std::vector<MemoryWaveService::Device>{{"Speakers"}},
            std::vector<MemoryWaveService::Device>{});
        devices = service.get();
        installWaveService(std::move(service));
        window = std::make_unique<Toggplayer>();
        window->show();
        list = child<QListWidget>("ListBox1");
        play = child<QToolButton>("button1");
        gauge = child<QProgressBar>("progressbar1");
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void TearDown() override {
        devices->holdOutput(false);
        devices->setPace(0);
        if (!play->isEnabled()) {
            click("button2");
            waitFor([&] { return play->isEnabled(); });
        }
        window.reset();
        installWaveService(std::make_unique<MemoryWaveService>(
            std::vector<MemoryWaveService::Device>{}, std::vector<MemoryWaveService::Device>{}));
    }

    template <typename Widget>
    Widget* child(const char* name) {
        auto* widget = window->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void click(const char* name) {
        QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton);
    }
    void add(const std::string& file) {
        answerFileDialog(QString::fromStdString(files->file(file)));
        click("button6");
    }
    QPoint rowPoint(int row) { return list->visualItemRect(list->item(row)).center(); }
    void select(int row) { QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowPoint(row)); }
    QString text(const char* label) { return child<QLabel>(label)->text(); }
    bool idle() { return play->isEnabled() && list->isEnabled(); }
    // Plays the selected entry with the device holding on to what it is given, and waits
    // until the first step has filled its queue.
    void playHeld() {
        devices->holdOutput(true);
        click("button1");
        ASSERT_TRUE(waitFor([&] { return window->vorbisIn().Position() == kQueued; }));
        ASSERT_FALSE(idle());
    }
    // Lets the device play and waits until the playback has ended.
    void releaseAndWaitIdle() {
        devices->holdOutput(false);
        ASSERT_TRUE(waitFor([&] { return idle(); }));
    }

    static inline TempDir* files = nullptr;
    static inline std::vector<uint8_t>* sixty = nullptr;
    static inline std::vector<uint8_t>* five = nullptr;
    MemoryWaveService* devices = nullptr;
    std::unique_ptr<Toggplayer> window;
    QListWidget* list = nullptr;
    QToolButton* play = nullptr;
    QProgressBar* gauge = nullptr;
};

TEST_F(PlayerTest, PlaysTheSelectedEntryAndPlaysItAgainAfterTheEnd) {
    ThreadWatch watch;
    watch.watch(play);
    watch.watch(list);
    watch.watch(gauge);
    add("fiftynine.ogg");
    add("sixty.ogg");
    add("sixty.ogg");
    ASSERT_EQ(list->count(), 3) << "the same file twice is two entries";
    EXPECT_EQ(list->item(2)->text(), QString::fromStdString(files->file("sixty.ogg")));

    list->clearSelection();
    click("button1");
    EXPECT_EQ(devices->opens(), 0) << "nothing selected, nothing played";
    EXPECT_EQ(text("Label4"), "");

    select(2);
    click("button1");
    ASSERT_TRUE(waitFor([&] { return idle(); }));
    EXPECT_EQ(devices->played(), *sixty);
    EXPECT_EQ(devices->lastFormat().nSamplesPerSec, 8000u);
    EXPECT_EQ(devices->lastFormat().nChannels, 1);
    EXPECT_EQ(text("Label4"), "sixty.ogg");
    EXPECT_EQ(text("Label2"), "1:00");
    EXPECT_EQ(gauge->value(), 100);

    // The selection stays where it was, so "Play" plays the same entry again; so does a
    // double click on it.
    EXPECT_EQ(list->currentRow(), 2);
    click("button1");
    ASSERT_TRUE(waitFor([&] { return idle() && devices->played().size() == 2 * sixty->size(); }));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rowPoint(2));
    ASSERT_TRUE(waitFor([&] { return idle() && devices->played().size() == 3 * sixty->size(); }));
    EXPECT_EQ(slice(devices->played(), 2 * sixty->size(), sixty->size()), *sixty);

    EXPECT_GT(watch.changes, 0);
    EXPECT_EQ(watch.offThread, 0) << "the sink's reports change the window on its own thread";
}

TEST_F(PlayerTest, LengthsAreWholeMinutesAndTwoDigitSeconds) {
    add("fiftynine.ogg");
    add("three-hours.ogg");
    select(0);
    click("button1");
    EXPECT_EQ(text("Label2"), "0:59");
    EXPECT_EQ(text("Label4"), "fiftynine.ogg");
    ASSERT_TRUE(waitFor([&] { return idle(); }));
    select(1);
    click("button1");
    EXPECT_EQ(text("Label2"), "180:00") << "minutes are not wrapped into hours";
    ASSERT_TRUE(waitFor([&] { return idle(); }));
}

TEST_F(PlayerTest, WhilePlayingTheListIsLockedAndStopEndsThePlayback) {
    add("sixty.ogg");
    add("five.ogg");
    select(0);
    playHeld();

    click("button7");
    child<QAction>("Remove1")->trigger();
    child<QAction>("RemoveAll1")->trigger();
    EXPECT_EQ(list->count(), 2) << "the entry being played cannot be removed";
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rowPoint(1));
    EXPECT_EQ(text("Label4"), "sixty.ogg") << "a double click does not start another entry";
    add("five.ogg");
    EXPECT_EQ(list->count(), 3) << "adding is allowed while playing";

    // What was queued before the stop still plays; nothing after it.
    click("button2");
    releaseAndWaitIdle();
    EXPECT_EQ(devices->played(), slice(*sixty, 0, kQueued));

    // Idle again, the list can be edited.
    select(1);
    click("button7");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), QString::fromStdString(files->file("five.ogg")));
    list->clearSelection();
    click("button7");
    EXPECT_EQ(list->count(), 2) << "nothing selected, nothing removed";
    child<QAction>("RemoveAll1")->trigger();
    EXPECT_EQ(list->count(), 0);
}

TEST_F(PlayerTest, PauseHoldsThePlaybackAndStopWhilePausedEndsItAtOnce) {
    add("sixty.ogg");
    select(0);
    playHeld();
    click("b_nametoip_pause_button");
    // The device plays what it was given, and what one more step of the worker may have
    // added, and then nothing more comes.
    devices->holdOutput(false);
    ASSERT_TRUE(waitFor([&] { return devices->played().size() >= kQueued; }));
    QTest::qWait(150);
    const size_t paused = devices->played().size();
    EXPECT_LE(paused, 2 * kQueued);
    QTest::qWait(100);
    EXPECT_EQ(devices->played().size(), paused);
    EXPECT_FALSE(idle());
    click("b_nametoip_resume_button");
    ASSERT_TRUE(waitFor([&] { return idle(); }));
    EXPECT_EQ(devices->played(), *sixty);

    // Stopped while paused: the playback ends without a "Resume".
    playHeld();
    click("b_nametoip_pause_button");
    click("button2");
    releaseAndWaitIdle();
    EXPECT_EQ(devices->played().size(), sixty->size() + kQueued);

    // "Close" while paused ends it too, and hides the window.
    playHeld();
    click("b_nametoip_pause_button");
    click("Button3");
    EXPECT_FALSE(window->isVisible());
    releaseAndWaitIdle();
    EXPECT_EQ(devices->played().size(), sixty->size() + 2 * kQueued);

    // The worker is not left suspended: the next playback runs through.
    window->show();
    click("button1");
    ASSERT_TRUE(waitFor([&] { return idle(); }));
    EXPECT_EQ(slice(devices->played(), sixty->size() + 2 * kQueued, sixty->size()), *sixty);
}

TEST_F(PlayerTest, BackAtTheStartGoesToTheStart) {
    add("sixty.ogg");
    select(0);
    playHeld();  // under ten percent in
    click("button4");
    releaseAndWaitIdle();
    const auto played = devices->played();
    ASSERT_EQ(played.size(), kQueued + sixty->size());
    EXPECT_EQ(slice(played, kQueued, sixty->size()), *sixty) << "from the very start again";
}

TEST_F(PlayerTest, ForwardNearTheEndEndsTheFileUnlessLooping) {
    add("five.ogg");
    select(0);
    ASSERT_GT(five->size(), kQueued);
    ASSERT_GT(kQueued * 10, five->size() * 9) << "the queue reaches past ninety percent";
    playHeld();
    click("button5");
    releaseAndWaitIdle();
    EXPECT_EQ(devices->played(), slice(*five, 0, kQueued)) << "the rest is skipped";

    // Looping, the end leads back to the start.
    QTest::mouseClick(child<QCheckBox>("checkbox1"), Qt::LeftButton);
    devices->setPace(400000);
    const size_t before = devices->played().size();
    playHeld();
    click("button5");
    devices->holdOutput(false);
    ASSERT_TRUE(
        waitFor([&] { return devices->played().size() >= before + kQueued + five->size(); }));
    click("button2");
    ASSERT_TRUE(waitFor([&] { return idle(); }));
    EXPECT_EQ(slice(devices->played(), before + kQueued, five->size()), *five);
}

TEST_F(PlayerTest, LoopReplaysTheFileUntilSwitchedOff) {
    add("five.ogg");
    select(0);
    auto* loop = child<QCheckBox>("checkbox1");
    QTest::mouseClick(loop, Qt::LeftButton);
    ASSERT_TRUE(loop->isChecked());
    devices->setPace(400000);
    click("button1");
    ASSERT_TRUE(waitFor([&] { return devices->played().size() > 2 * five->size(); }));
    EXPECT_FALSE(idle());
    QTest::mouseClick(loop, Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return idle(); }));
    // Whole passes, each the file from start to end.
    const auto played = devices->played();
    ASSERT_EQ(played.size() % five->size(), 0u);
    for (size_t at = 0; at < played.size(); at += five->size())
        ASSERT_EQ(slice(played, at, five->size()), *five) << "pass at " << at;
}

TEST_F(PlayerTest, ErrorsAreReportedAndTheWindowStaysIdle) {
    BoxCatcher boxes;
    add("broken.ogg");
    select(0);
    click("button1");
    ASSERT_EQ(boxes.texts().size(), 1);
    EXPECT_TRUE(boxes.texts()[0].contains("is not an Ogg Vorbis file"))
        << boxes.texts()[0].toStdString();
    EXPECT_EQ(text("Label4"), "broken.ogg");
    EXPECT_TRUE(idle());

    // A device lost during the playback: reported once the run has ended.
    add("sixty.ogg");
    select(1);
    devices->failAfter(20000);
    click("button1");
    ASSERT_TRUE(waitFor([&] { return boxes.texts().size() == 2; }));
    EXPECT_EQ(boxes.texts()[1], "The sound device stopped working.");
    EXPECT_TRUE(idle());
    EXPECT_LT(devices->played().size(), sixty->size());
}

TEST_F(PlayerTest, PlaybackDoesNotSpinWhileTheDeviceIsBusy) {
    add("sixty.ogg");
    select(0);
    playHeld();
    // The device holds every buffer: the worker has nothing to do and should not burn a
    // processor finding that out.
    const auto cpu = [] {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
    };
    const double before = cpu();
    QTest::qWait(400);
    EXPECT_LT(cpu() - before, 0.2);
    click("button2");
    releaseAndWaitIdle();
}

TEST_F(PlayerTest, DroppedOggFilesAndFoldersJoinTheListAndPlay) {
    // A folder of a few Ogg files beside other things, and a folder with no Ogg file in it.
    TempDir dropped;
    const auto folder = std::filesystem::path(dropped.file("album"));
    std::filesystem::create_directories(folder / "inner");
    for (const char* name : {"b.ogg", "a.OGG"})
        std::filesystem::copy_file(files->file("five.ogg"), folder / name);
    writeBytes((folder / "cover.jpg").string(), std::vector<uint8_t>(10, 'j'));
    std::filesystem::copy_file(files->file("five.ogg"), folder / "inner" / "deep.ogg");
    std::filesystem::create_directory(dropped.file("empty"));
    const QString album = QString::fromStdString(folder.string());
    const auto q = [](const std::string& path) { return QString::fromStdString(path); };

    // A file and a folder: the file, then the folder's own Ogg files by name.
    const DropAnswer taken = sendFileDrop(window.get(), {q(files->file("sixty.ogg")), album});
    EXPECT_TRUE(taken.entered);
    EXPECT_TRUE(taken.dropped);
    QStringList entries;
    for (int row = 0; row < list->count(); ++row)
        entries << list->item(row)->text();
    EXPECT_EQ(entries,
              (QStringList{q(files->file("sixty.ogg")), album + "/a.OGG", album + "/b.ogg"}));

    // Refused whole, changing nothing: anything that is not an Ogg file or a folder holding
    // one, a file that is not there, and addresses of other places.
    const std::vector<QStringList> refused = {
        {q(files->file("five.ogg")), album + "/cover.jpg"},
        {q(dropped.file("empty"))},
        {q(dropped.file("gone.ogg"))},
        {},
    };
    for (const QStringList& paths : refused) {
        const DropAnswer answer = sendFileDrop(window.get(), paths);
        EXPECT_FALSE(answer.entered) << paths.join(", ").toStdString();
        EXPECT_FALSE(answer.dropped);
    }
    EXPECT_FALSE(sendDrop(window.get(), {QUrl("https://example.org/song.ogg")}).entered);
    EXPECT_FALSE(sendDrop(window.get(), {QUrl::fromLocalFile(q(files->file("five.ogg"))),
                                         QUrl("https://example.org/song.ogg")})
                     .entered);
    EXPECT_EQ(list->count(), 3);

    // A dropped entry is an entry like any other: it plays.
    select(1);
    click("button1");
    ASSERT_TRUE(waitFor([&] { return idle(); }));
    EXPECT_EQ(text("Label4"), "a.OGG");
    EXPECT_EQ(devices->played(), *five);
}

}  // namespace
