// The WAV mixer window, driven with clicks and file dialogs, mixing and joining real files.
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <filesystem>
#include <random>

#include "ErrorReport.h"
#include "SendDrop.h"
#include "Shell.h"
#include "ToolWindowTesting.h"
#include "mixerUnit.h"

namespace {

constexpr int kRate = 22050;

class MixerTest : public ToolWindowTest {
  protected:
    void SetUp() override {
        ToolWindowTest::SetUp();
        m_window.show();
    }
    // Chooses a file with the dialog of the given "Iutput" or "Output" button.
    void choose(const char* button, const std::string& name) {
        auto seen = answerFileDialog(QString::fromStdString(file(name)));
        click(&m_window, button);
        ASSERT_TRUE(seen->shown);
    }
    QString status() { return child<QLabel>(&m_window, "spSLMsgOut")->text(); }
    int gauge() { return child<QProgressBar>(&m_window, "Gauge1")->value(); }
    bool idle() {
        return child<QPushButton>(&m_window, "mixbutton")->isEnabled() &&
               child<QPushButton>(&m_window, "closebutton")->isEnabled();
    }
    // Clicks "Mix" and waits for "Finished!".
    bool mix() {
        click(&m_window, "mixbutton");
        return waitFor([&] { return status() == "Finished!"; });
    }

    Tmixer m_window;
};

std::vector<int16_t> randomSamples(size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    std::vector<int16_t> samples(count);
    for (auto& value : samples)
        value = static_cast<int16_t>(sample(random));
    return samples;
}

TEST_F(MixerTest, TheFourChecksWarnInOrderAndStartNothing) {
    for (const char* name : {"a.wav", "b.wav", "B.wav"})
        writeWav(file(name), 1, 16, kRate, pcm16Bytes({1, 2, 3}));
    EXPECT_EQ(m_window.windowTitle(), "WAV Mixer ");
    EXPECT_EQ(child<QPushButton>(&m_window, "Button7")->text(), "Iutput");
    BoxCatcher boxes;
    // Names typed into the boxes are not choices.
    type(&m_window, "edit1", file("a.wav"));
    type(&m_window, "edit2", file("b.wav"));
    type(&m_window, "edit3", file("out.wav"));
    click(&m_window, "mixbutton");
    choose("Button7", "a.wav");
    click(&m_window, "mixbutton");
    choose("button2", "a.wav");
    click(&m_window, "mixbutton");
    choose("button3", "out");
    click(&m_window, "mixbutton");  // both inputs the same
    choose("button2", "b.wav");
    choose("button3", "b.wav");
    click(&m_window, "mixbutton");  // an input as output
    const QString sameFile =
        " Please check the Input File and Output File! They can't be the same file! ";
    EXPECT_EQ(boxes.texts(), (QStringList{" Please enter the first input File! ",
                                          " Please enter the second input File! ",
                                          " Please enter the output File! ", sameFile, sameFile}));
    for (const auto& box : boxes.boxes) {
        EXPECT_EQ(box.title, "");
        EXPECT_EQ(box.icon, QMessageBox::Warning);
    }
    EXPECT_EQ(m_window.WaveOut1().FileName(), file("b.wav"));
    EXPECT_FALSE(m_window.WaveOut1().Busy());
    EXPECT_EQ(status(), "");

    // Names that differ in letter case are different files.
    choose("button3", "B.wav");
    ASSERT_TRUE(mix());
    EXPECT_EQ(boxes.boxes.size(), 5u);
}

// Each row of the window sits on a captioned tab that tells which file it chooses.
TEST_F(MixerTest, EachRowSitsUnderTheTabNamingItsFile) {
    const struct {
        const char* tabs;
        const char* caption;
        const char* button;
        const char* edit;
    } rows[] = {{"input1tabs", "Input WAV File1", "Button7", "edit1"},
                {"input2tabs", "Input WAV File2", "button2", "edit2"},
                {"outputtabs", "Output WAV File", "button3", "edit3"}};
    for (const auto& row : rows) {
        auto* tabs = child<QTabWidget>(&m_window, row.tabs);
        ASSERT_EQ(tabs->count(), 1) << row.tabs;
        EXPECT_EQ(tabs->tabText(0), row.caption);
        EXPECT_TRUE(tabs->widget(0)->isAncestorOf(child<QWidget>(&m_window, row.button)))
            << row.button;
        EXPECT_TRUE(tabs->widget(0)->isAncestorOf(child<QWidget>(&m_window, row.edit))) << row.edit;
    }
}

TEST_F(MixerTest, MixingAveragesTheSamplesOnTheUiThread) {
    // Longer than a few mixer blocks, the first input the shorter; the extremes included.
    std::vector<int16_t> first = randomSamples(30001, 1);
    std::vector<int16_t> second = randomSamples(41000, 2);
    const std::vector<std::pair<int16_t, int16_t>> edges{
        {1, 0}, {-1, 0}, {32767, 32767}, {-32768, -32768}, {-32768, 32767}, {-3, 0}};
    for (size_t i = 0; i < edges.size(); ++i)
        std::tie(first[i], second[i]) = edges[i];
    writeWav(file("one.wav"), 1, 16, kRate, pcm16Bytes(first));
    writeWav(file("two.wav"), 1, 16, kRate, pcm16Bytes(second));
    choose("Button7", "one.wav");
    choose("button2", "two.wav");
    choose("button3", "mixed");
    ThreadWatch watch(
        child<QProgressBar>(&m_window, "Gauge1"),
        {child<QWidget>(&m_window, "mixbutton"), child<QWidget>(&m_window, "closebutton")});
    BoxCatcher boxes;
    click(&m_window, "mixbutton");
    EXPECT_EQ(status(), "Mixing,please wait......");
    ASSERT_TRUE(waitFor([&] { return status() == "Finished!"; }));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(idle());
    EXPECT_EQ(gauge(), 100);
    EXPECT_EQ(watch.enabledChanges, 4);
    EXPECT_EQ(watch.offThread, 0);

    std::vector<int16_t> expected(second.size());
    for (size_t i = 0; i < second.size(); ++i) {
        const int a = i < first.size() ? first[i] : 0;
        expected[i] = static_cast<int16_t>((a + second[i]) / 2);
    }
    EXPECT_EQ((std::vector<int16_t>(expected.begin(), expected.begin() + 6)),
              (std::vector<int16_t>{0, 0, 32767, -32768, 0, -1}));
    EXPECT_EQ(readBytes(file("mixed.wav")), canonicalWav(1, 16, kRate, pcm16Bytes(expected)));
}

TEST_F(MixerTest, ConcatenatingJoinsTheBytesAndTheModeOutlivesClosing) {
    const auto first = pcm16Bytes(randomSamples(20000, 3));
    const auto second = pcm16Bytes(randomSamples(9001, 4));
    writeWav(file("one.wav"), 2, 16, kRate, first);
    writeWav(file("two.wav"), 2, 16, kRate, second);
    choose("Button7", "one.wav");
    choose("button2", "two.wav");
    choose("button3", "joined.wav");
    QTest::mouseClick(child<QRadioButton>(&m_window, "radiobutton2"), Qt::LeftButton);
    EXPECT_EQ(m_window.AudioMixer1().Mode(), amConcatenate);
    ASSERT_TRUE(mix());
    std::vector<uint8_t> both = first;
    both.insert(both.end(), second.begin(), second.end());
    EXPECT_EQ(readBytes(file("joined.wav")), canonicalWav(2, 16, kRate, both));

    // Closing hides; showing again resets only the gauge.
    click(&m_window, "closebutton");
    EXPECT_FALSE(m_window.isVisible());
    m_window.show();
    EXPECT_EQ(gauge(), 0);
    EXPECT_EQ(status(), "Finished!");
    EXPECT_TRUE(child<QRadioButton>(&m_window, "radiobutton2")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(&m_window, "radiobutton1")->isChecked());
    EXPECT_EQ(m_window.AudioMixer1().Mode(), amConcatenate);
    QTest::mouseClick(child<QRadioButton>(&m_window, "radiobutton1"), Qt::LeftButton);
    EXPECT_EQ(m_window.AudioMixer1().Mode(), amMix);
    EXPECT_FALSE(child<QRadioButton>(&m_window, "radiobutton2")->isChecked());
}

TEST_F(MixerTest, CancelEndsTheWorkEarlyAndStillSaysFinished) {
    const auto long1 = pcm16Bytes(randomSamples(kRate * 2 * 60, 5));
    writeWav(file("one.wav"), 2, 16, kRate, long1);
    writeWav(file("two.wav"), 2, 16, kRate, long1);
    choose("Button7", "one.wav");
    choose("button2", "two.wav");
    choose("button3", "out.wav");
    // A pause between blocks keeps the work going until the cancel arrives, however fast or
    // busy the machine is.
    m_window.WaveOut1().SetDelay(100);
    click(&m_window, "mixbutton");
    click(&m_window, "cancelbutton");
    ASSERT_TRUE(waitFor([&] { return status() == "Finished!"; }));
    EXPECT_TRUE(idle());
    EXPECT_LT(readBytes(file("out.wav")).size(), long1.size() / 2);
}

TEST_F(MixerTest, AStartErrorIsReportedAndLeavesTheWindowAsItWas) {
    writeWav(file("one.wav"), 1, 16, kRate, pcm16Bytes({1, 2}));
    writeBytes(file("two.wav"), {'n', 'o', 't', ' ', 'w', 'a', 'v'});
    choose("Button7", "one.wav");
    choose("button2", "two.wav");
    choose("button3", "out.wav");
    std::string expected;
    try {
        TWaveIn probe;
        probe.SetFileName(file("two.wav"));
        probe.Init();
    } catch (const EACSException& error) {
        expected = error.what();
    }
    ASSERT_FALSE(expected.empty());
    BoxCatcher boxes;
    click(&m_window, "mixbutton");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, errorReportText(QString::fromStdString(expected)));
    EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(status(), "") << "nothing is being mixed";
    EXPECT_TRUE(idle());
    EXPECT_FALSE(m_window.WaveOut1().Busy());
    EXPECT_FALSE(m_window.WaveIn1().Busy()) << "the first input was let go again";
}

TEST_F(MixerTest, OpenButtonsHandEachRowToTheDesktop) {
    QStringList opened;
    setShellOpener([&](const QUrl& url) {
        opened << url.toLocalFile();
        return true;
    });
    type(&m_window, "edit1", "/a/1.wav");
    type(&m_window, "edit2", "/b/2.wav");
    type(&m_window, "edit3", "/c/3.wav");
    for (const char* button :
         {"BitBtn1", "BitBtn2", "spSkinButton1", "spSkinButton2", "spSkinButton4", "spSkinButton3"})
        click(&m_window, button);
    EXPECT_EQ(opened, (QStringList{"/a/1.wav", "/a/", "/b/2.wav", "/b/", "/c/3.wav", "/c/"}));
    setShellOpener({});
}

TEST_F(MixerTest, AWavFileDroppedOnARowIsThatRowsChoice) {
    writeWav(file("one.wav"), 1, 16, kRate, pcm16Bytes({100, 200, 300}));
    writeWav(file("two.wav"), 1, 16, kRate, pcm16Bytes({10, 20, 30, 40}));
    writeBytes(file("notes.txt"), {0});
    std::filesystem::create_directory(file("folder.wav"));
    const auto q = [this](const char* name) { return QString::fromStdString(file(name)); };
    const auto middleOf = [this](const char* name) {
        QWidget* widget = child<QWidget>(&m_window, name);
        return widget->mapTo(&m_window, widget->rect().center());
    };

    // Refused: off the rows, what the dialogs could not choose, and an input that is not
    // there. Nothing changes.
    const struct {
        const char* at;
        QStringList paths;
    } refused[] = {{"Gauge1", {q("one.wav")}},
                   {"mixbutton", {q("one.wav")}},
                   {"edit1", {q("notes.txt")}},
                   {"edit1", {q("folder.wav")}},
                   {"edit1", {q("one.wav"), q("two.wav")}},
                   {"edit2", {q("missing.wav")}},
                   {"edit3", {q("folder.wav")}}};
    for (const auto& drop : refused) {
        const DropAnswer answer = sendFileDrop(&m_window, drop.paths, middleOf(drop.at));
        EXPECT_FALSE(answer.dropped) << drop.at << " " << drop.paths.join(", ").toStdString();
    }
    for (const char* box : {"edit1", "edit2", "edit3"})
        EXPECT_TRUE(child<QLineEdit>(&m_window, box)->text().isEmpty()) << box;
    EXPECT_EQ(m_window.WaveIn1().FileName(), "");

    // Anywhere on a row, its button included; the output may be a file still to be written.
    EXPECT_TRUE(sendFileDrop(&m_window, {q("one.wav")}, middleOf("BitBtn2")).dropped);
    EXPECT_TRUE(sendFileDrop(&m_window, {q("two.wav")}, middleOf("button2")).dropped);
    EXPECT_TRUE(sendFileDrop(&m_window, {q("mixed.wav")}, middleOf("edit3")).dropped);
    EXPECT_EQ(child<QLineEdit>(&m_window, "edit1")->text(), q("one.wav"));
    EXPECT_EQ(child<QLineEdit>(&m_window, "edit2")->text(), q("two.wav"));
    EXPECT_EQ(child<QLineEdit>(&m_window, "edit3")->text(), q("mixed.wav"));

    // The components took the choices: the mix reads and writes the dropped files.
    BoxCatcher boxes;
    ASSERT_TRUE(mix());
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(readBytes(file("mixed.wav")),
              canonicalWav(1, 16, kRate, pcm16Bytes({55, 110, 165, 20})));
}

}  // namespace
