// The Batch Converter window driven as a user drives it: files and folders dropped on its
// list, a format chosen, Start and Stop, each file's end shown in its row, and the desktop
// told of a batch that ended unseen.
#include <QCheckBox>
#include <QComboBox>
#include <QSignalSpy>
#include <QTreeWidget>

#include "BatchConverterUnit.h"
#include "IniFile.h"
#include "SendDrop.h"
#include "Synth.h"
#include "ToolWindowTesting.h"

namespace fs = std::filesystem;

namespace {

class BatchWindowTest : public ToolWindowTest {
  protected:
    QString q(const std::string& name) const { return QString::fromStdString(file(name)); }
    QTreeWidget* list(QWidget* window) { return child<QTreeWidget>(window, "FileList"); }
    QStringList column(QWidget* window, int column) {
        QStringList texts;
        for (int row = 0; row < list(window)->topLevelItemCount(); ++row)
            texts << list(window)->topLevelItem(row)->text(column);
        return texts;
    }
    QPoint onTheList(QWidget* window) {
        QTreeWidget* files = list(window);
        return files->mapTo(window, files->rect().center());
    }
    // Clicks Start and waits for the window to have taken in the batch's end.
    bool runBatch(TBatchConverterForm& window) {
        QSignalSpy finished(&window, &TBatchConverterForm::batchFinished);
        click(&window, "StartButton");
        return waitFor([&] { return finished.count() == 1; });
    }
};

TEST_F(BatchWindowTest, DroppedFilesAndFoldersConvertEachShowingHowItEnded) {
    fs::create_directories(file("Album/Disc 2"));
    writeMusicWav(file("Album/one.wav"), 0.5);
    writeMusicWav(file("Album/Disc 2/two.wav"), 0.4, 22050, 1, 2);
    writeBytes(file("Album/Disc 2/broken.flac"), std::vector<uint8_t>(400, 9));
    writeBytes(file("Album/notes.txt"), {1});
    writeMusicWav(file("single.wav"), 0.3, 44100, 2, 3);
    writeBytes(file("notes.txt"), {1});

    const TIniFile settings = TIniFile::FromText("[Rip]\njobs=2\n");
    TBatchConverterForm window(&settings);
    window.show();
    // What the window cannot convert is refused whole.
    EXPECT_FALSE(sendFileDrop(&window, {q("single.wav"), q("notes.txt")}).entered);
    EXPECT_FALSE(sendDrop(&window, {QUrl("sftp://host/a.wav")}).entered);
    const DropAnswer answer =
        sendFileDrop(&window, {q("Album"), q("single.wav")}, onTheList(&window));
    EXPECT_TRUE(answer.dropped);
    // A file dropped again is listed once.
    EXPECT_TRUE(sendFileDrop(&window, {q("single.wav")}, onTheList(&window)).dropped);
    EXPECT_EQ(column(&window, 0),
              (QStringList{q("Album/Disc 2/broken.flac"), q("Album/Disc 2/two.wav"),
                           q("Album/one.wav"), q("single.wav")}));

    auto* format = child<QComboBox>(&window, "FormatBox");
    format->setCurrentText("FLAC");
    child<QComboBox>(&window, "OptionBox")->setCurrentText("8");
    QTest::mouseClick(child<QCheckBox>(&window, "KeepStructureCheck"), Qt::LeftButton,
                      Qt::NoModifier, QPoint(5, 5));
    type(&window, "OutputEdit", file("out"));
    EXPECT_EQ(window.options().flacLevel, 8);
    EXPECT_EQ(window.options().jobs, 2);

    ThreadWatch watch;
    watch.watch(child<QWidget>(&window, "StartButton"));
    watch.watch(child<QWidget>(&window, "StopButton"));
    window.windowActive = [] { return true; };
    int notified = 0;
    window.notify = [&](const QString&, const QString&, const QString&) { ++notified; };
    BoxCatcher boxes;
    ASSERT_TRUE(runBatch(window));
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.texts().join("; ").toStdString();
    EXPECT_EQ(watch.offThread, 0);
    EXPECT_EQ(notified, 0) << "the window was in sight";

    const QStringList states = column(&window, 1);
    EXPECT_TRUE(states[0].startsWith("Failed: The file \"" + q("Album/Disc 2/broken.flac")))
        << states[0].toStdString();
    EXPECT_EQ(states.mid(1), (QStringList{"Done", "Done", "Done"}));
    EXPECT_EQ(column(&window, 2), (QStringList{"", "100 %", "100 %", "100 %"}));
    EXPECT_TRUE(fs::exists(file("out/Album/Disc 2/two.flac")));
    EXPECT_TRUE(fs::exists(file("out/Album/one.flac")));
    EXPECT_TRUE(fs::exists(file("out/single.flac")));
    EXPECT_FALSE(fs::exists(file("out/Album/Disc 2/broken.flac")));
    EXPECT_TRUE(child<QPushButton>(&window, "StartButton")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(&window, "StopButton")->isEnabled());

    // Removing a row takes its file out of the batch.
    list(&window)->topLevelItem(0)->setSelected(true);
    click(&window, "RemoveButton");
    EXPECT_EQ(window.inputs().size(), 3u);
    EXPECT_EQ(column(&window, 0).first(), q("Album/Disc 2/two.wav"));
}

TEST_F(BatchWindowTest, ABatchThatWouldOverwriteOrCollideIsRefusedWithItsReasons) {
    fs::create_directories(file("a"));
    fs::create_directories(file("b"));
    writeMusicWav(file("a/song.wav"), 0.2);
    writeMusicWav(file("b/song.wav"), 0.2);
    TBatchConverterForm window(nullptr);
    window.show();
    window.addPaths({q("a/song.wav"), q("b/song.wav")});
    child<QComboBox>(&window, "FormatBox")->setCurrentText("MP3");
    type(&window, "OutputEdit", file("out"));
    BoxCatcher boxes;
    click(&window, "StartButton");
    ASSERT_TRUE(waitFor([&] { return !boxes.boxes.empty(); }));
    EXPECT_TRUE(boxes.texts().first().contains("would both be converted to"))
        << boxes.texts().first().toStdString();
    EXPECT_FALSE(window.converter().Running());
    EXPECT_FALSE(fs::exists(file("out")));
    EXPECT_EQ(column(&window, 1), (QStringList{"Waiting", "Waiting"}));
}

TEST_F(BatchWindowTest, StopEndsTheBatchAndAnUnseenEndIsAnnounced) {
    for (int i = 0; i < 5; ++i)
        writeMusicWav(file("long" + std::to_string(i) + ".wav"), 6.0, 44100, 2,
                      static_cast<unsigned>(i));
    TBatchConverterForm window(nullptr);
    window.show();
    window.addPaths(
        {q("long0.wav"), q("long1.wav"), q("long2.wav"), q("long3.wav"), q("long4.wav")});
    child<QComboBox>(&window, "FormatBox")->setCurrentText("MP3");
    type(&window, "OutputEdit", file("out"));
    QStringList announced;
    window.windowActive = [] { return false; };
    window.notify = [&](const QString& summary, const QString& body, const QString& folder) {
        announced << summary << body << folder;
    };

    QSignalSpy finished(&window, &TBatchConverterForm::batchFinished);
    click(&window, "StartButton");
    EXPECT_FALSE(child<QPushButton>(&window, "StartButton")->isEnabled());
    ASSERT_TRUE(waitFor([&] { return column(&window, 1).contains("Converting"); }));
    click(&window, "StopButton");
    ASSERT_TRUE(waitFor([&] { return finished.count() == 1; }));
    EXPECT_TRUE(column(&window, 1).contains("Stopped"));
    EXPECT_FALSE(column(&window, 1).contains("Waiting"));
    EXPECT_FALSE(column(&window, 1).contains("Converting"));
    for (const auto& entry : fs::directory_iterator(file("out")))
        EXPECT_EQ(entry.path().extension(), ".mp3") << entry.path();
    EXPECT_TRUE(announced.isEmpty()) << "a stop is the user's own doing";

    // The same files again, to the end, with the window out of sight.
    window.ClearButtonClick();
    window.addPaths({q("long0.wav"), q("long1.wav")});
    ASSERT_TRUE(runBatch(window));
    EXPECT_EQ(announced, (QStringList{"Batch conversion finished",
                                      "2 files converted to MP3 in " + q("out"), q("out")}));
}

}  // namespace
