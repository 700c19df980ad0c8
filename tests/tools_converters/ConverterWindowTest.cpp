// The four converter windows, driven with clicks and typing, converting real files through
// the real components.
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolButton>
#include <functional>

#include "ErrorReport.h"
#include "FakeSource.h"
#include "SendDrop.h"
#include "Shell.h"
#include "Synth.h"
#include "ToolWindowTesting.h"
#include "ogg2mp3Unit.h"
#include "ogg2wavUnit.h"
#include "wav2mp3Unit.h"
#include "wav2oggUnit.h"

namespace {

struct Family {
    const char* name;
    std::function<std::unique_ptr<TConverterForm>()> make;
    const char* caption;
    const char* inputTab;
    const char* outputTab;
    const char* inputFilter;   // as the dialog shows it
    const char* outputFilter;  // as the dialog shows it
    const char* extension;
    bool oggInput;
};

template <typename Window>
std::function<std::unique_ptr<TConverterForm>()> maker() {
    return [] { return std::make_unique<Window>(); };
}

const Family kFamily[] = {
    {"Twav2ogg", maker<Twav2ogg>(), "WAV to Ogg Converter", "Input WAV File", "Output Ogg File",
     "*.wav (*.wav)", "*.ogg (*.ogg)", "ogg", false},
    {"Twav2mp3", maker<Twav2mp3>(), "WAV to MP3 Converter", "Input WAV File", "Output MP3 File",
     "*.wav (*.wav)", "*.mp3 (*.mp3)", "mp3", false},
    {"Togg2wav", maker<Togg2wav>(), "Ogg to WAV Converter", "Input Ogg File", "Output WAV File",
     "*.ogg (*.ogg)", "*.wav (*.wav)", "wav", true},
    {"Togg2mp3", maker<Togg2mp3>(), "Ogg to MP3 Converter", "Input Ogg File", "Output MP3 File",
     "*.ogg (*.ogg)", "*.mp3 (*.mp3)", "mp3", true},
};

constexpr int kRate = 44100;
constexpr int kChannels = 2;

// Encodes a WAV file to Ogg Vorbis with the components alone.
void makeOgg(const std::string& wav, const std::string& ogg) {
    TWaveIn in;
    in.SetFileName(wav);
    TVorbisOut out;
    out.SetInput(&in);
    out.SetFileName(ogg);
    DoneWaiter done(out);
    out.Run();
    ASSERT_TRUE(done.wait());
    ASSERT_EQ(out.lastError(), "");
}

// The PCM bytes an Ogg Vorbis file decodes to, and its format.
struct Decoded {
    int64_t size = 0;
    int channels = 0, rate = 0;
};
Decoded decodeOgg(const std::string& path) {
    TVorbisIn in;
    in.SetFileName(path);
    in.Init();
    Decoded result{in.Size(), in.InChannels(), in.InSampleRate()};
    in.Flush();
    return result;
}

// The bit rate in kbit/s of the first MPEG-1 layer III frame, 0 when there is none.
int firstFrameKbps(const std::vector<uint8_t>& bytes) {
    static const int kKbps[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    for (size_t i = 0; i + 2 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && (bytes[i + 1] & 0xFE) == 0xFA) {
            const int index = bytes[i + 2] >> 4;
            return index < 15 ? kKbps[index] : 0;
        }
    return 0;
}

class ConverterTest : public ToolWindowTest {
  protected:
    // Music as WAV, and the same as Ogg Vorbis.
    void makeInputs(double seconds) {
        writeMusicWav(file("in.wav"), seconds, kRate, kChannels);
        makeOgg(file("in.wav"), file("in.ogg"));
    }
    std::string inputFor(const Family& family) const {
        return file(family.oggInput ? "in.ogg" : "in.wav");
    }
    // Clicks "Convert" and waits until the window has taken in the done report.
    static bool convert(TConverterForm& window) {
        QSignalSpy done(&window, &TConverterForm::conversionDone);
        click(&window, "button1");
        return waitFor([&] { return done.count() > 0; });
    }
    static bool idle(TConverterForm& window) {
        return child<QPushButton>(&window, "button1")->isEnabled() &&
               child<QPushButton>(&window, "closebutton")->isEnabled();
    }
};

TEST_F(ConverterTest, EachWindowShowsItsTextsAndItsDialogsTheirFilters) {
    writeBytes(file("chosen.wav"), {0});
    writeBytes(file("chosen.ogg"), {0});
    for (const Family& family : kFamily) {
        SCOPED_TRACE(family.name);
        auto window = family.make();
        window->show();
        EXPECT_EQ(window->windowTitle(), family.caption);
        EXPECT_EQ(child<QTabWidget>(window.get(), "inputtabs")->tabText(0), family.inputTab);
        EXPECT_EQ(child<QTabWidget>(window.get(), "outputtabs")->tabText(0), family.outputTab);
        EXPECT_TRUE(child<QPushButton>(window.get(), "button1")->isDefault());
        for (const char* name : {"BitBtn1", "BitBtn3"})
            EXPECT_EQ(child<QToolButton>(window.get(), name)->toolTip(), "Open the file");
        for (const char* name : {"BitBtn2", "BitBtn4"})
            EXPECT_EQ(child<QToolButton>(window.get(), name)->toolTip(), "Open the folder");
        const bool options = window->findChild<QComboBox*>("cpu") != nullptr;
        EXPECT_EQ(options, std::string(family.name) == "Twav2ogg");
        EXPECT_EQ(window->findChild<QComboBox*>("compr") != nullptr, options);

        const QString chosen =
            QString::fromStdString(family.oggInput ? file("chosen.ogg") : file("chosen.wav"));
        auto seen = answerFileDialog(chosen);
        click(window.get(), "Button3");
        EXPECT_EQ(seen->filters, QStringList{family.inputFilter});
        EXPECT_EQ(child<QLineEdit>(window.get(), "edit1")->text(), chosen);

        // A name typed without extension gets the window's; cancelling changes nothing.
        seen = answerFileDialog(QString::fromStdString(file("song")));
        click(window.get(), "Button4");
        EXPECT_EQ(seen->filters, QStringList{family.outputFilter});
        const QString output = QString::fromStdString(file("song.")) + family.extension;
        EXPECT_EQ(child<QLineEdit>(window.get(), "edit2")->text(), output);
        seen = answerFileDialog(QString::fromStdString(file("other")), false);
        click(window.get(), "Button4");
        EXPECT_TRUE(seen->shown);
        EXPECT_EQ(child<QLineEdit>(window.get(), "edit2")->text(), output);
    }
}

TEST_F(ConverterTest, EachWindowConvertsARealFileOnTheUiThread) {
    const double seconds = 3;
    makeInputs(seconds);
    const int64_t pcmBytes = static_cast<int64_t>(seconds * kRate) * kChannels * 2;
    for (const Family& family : kFamily) {
        SCOPED_TRACE(family.name);
        auto window = family.make();
        window->show();
        ThreadWatch watch(
            child<QProgressBar>(window.get(), "progressbar1"),
            {child<QWidget>(window.get(), "button1"), child<QWidget>(window.get(), "closebutton")});
        const std::string output = file(std::string("out.") + family.extension);
        type(window.get(), "edit1", inputFor(family));
        type(window.get(), "edit2", output);
        BoxCatcher boxes;
        ASSERT_TRUE(convert(*window));
        EXPECT_TRUE(boxes.boxes.empty()) << boxes.texts().join("; ").toStdString();
        EXPECT_TRUE(idle(*window));
        EXPECT_EQ(child<QProgressBar>(window.get(), "progressbar1")->value(), 100);
        EXPECT_EQ(watch.enabledChanges, 4) << "both buttons went off and back on";
        EXPECT_GT(watch.gaugeChanges, 0);
        EXPECT_EQ(watch.offThread, 0);

        const std::vector<uint8_t> bytes = readBytes(output);
        const std::string extension = family.extension;
        if (extension == "ogg") {
            const Decoded decoded = decodeOgg(output);
            EXPECT_EQ(decoded.channels, kChannels);
            EXPECT_EQ(decoded.rate, kRate);
            EXPECT_EQ(decoded.size, pcmBytes);
        } else if (extension == "wav") {
            ASSERT_GT(bytes.size(), 44u);
            const int64_t data = static_cast<int64_t>(bytes.size()) - 44;
            EXPECT_EQ(data, decodeOgg(inputFor(family)).size);
            const auto expected =
                canonicalWav(kChannels, 16, kRate, std::vector<uint8_t>(static_cast<size_t>(data)));
            EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 44, expected.begin()))
                << "the header tells the format and the bytes written";
        } else {
            // 128 kbit/s is 16000 bytes a second.
            EXPECT_EQ(firstFrameKbps(bytes), 128);
            EXPECT_NEAR(static_cast<double>(bytes.size()), 16000 * seconds, 16000 * seconds / 10);
        }
    }
}

TEST_F(ConverterTest, EmptyBoxesDoNothingAndAMissingInputShowsTheSourcesError) {
    for (const Family& family : kFamily) {
        SCOPED_TRACE(family.name);
        auto window = family.make();
        window->show();
        BoxCatcher boxes;
        type(window.get(), "edit2", file("out.x"));
        click(window.get(), "button1");
        type(window.get(), "edit1", file("missing.in"));
        child<QLineEdit>(window.get(), "edit2")->clear();
        click(window.get(), "button1");
        EXPECT_TRUE(boxes.boxes.empty());
        EXPECT_FALSE(window->sink().Busy());

        // The source's own words, as the general error report puts them.
        std::string expected;
        try {
            window->source().SetFileName(file("missing.in"));
            window->source().Init();
        } catch (const EACSException& error) {
            expected = error.what();
        }
        ASSERT_FALSE(expected.empty());
        type(window.get(), "edit2", file("out.x"));
        click(window.get(), "button1");
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, errorReportText(QString::fromStdString(expected)));
        EXPECT_EQ(boxes.boxes[0].title, "Quillon");
        EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Critical);
        EXPECT_TRUE(idle(*window));
        EXPECT_FALSE(window->sink().Busy());
    }
}

// A WAV to Ogg conversion paced at 11 ms a block, long enough to be caught under way.
class SlowConversionTest : public ConverterTest {
  protected:
    void SetUp() override {
        ConverterTest::SetUp();
        writeBytes(file("long.wav"),
                   canonicalWav(kChannels, 16, kRate,
                                pcm16Bytes(synthesizeTone(kSeconds, kRate, kChannels, 440))));
        m_window.show();
        ASSERT_EQ(m_window.VorbisOut1().Delay(), 11);
        type(&m_window, "edit1", file("long.wav"));
        type(&m_window, "edit2", file("long.ogg"));
    }

    static constexpr double kSeconds = 20;
    static constexpr int64_t kPcmBytes = static_cast<int64_t>(kSeconds * kRate) * kChannels * 2;
    Twav2ogg m_window;
};

TEST_F(SlowConversionTest, CancelWhileIdleIsHarmlessAndConvertTwiceShowsTheBusyError) {
    click(&m_window, "cancel");  // while idle: no effect on the next run
    QSignalSpy done(&m_window, &TConverterForm::conversionDone);
    BoxCatcher boxes;
    click(&m_window, "button1");
    click(&m_window, "button1");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Component is buisy.");
    ASSERT_TRUE(waitFor([&] { return done.count() > 0; }));
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(decodeOgg(file("long.ogg")).size, kPcmBytes) << "the first run went to its end";
    EXPECT_TRUE(idle(m_window));
}

TEST_F(SlowConversionTest, CancelStopsEarly) {
    QSignalSpy done(&m_window, &TConverterForm::conversionDone);
    click(&m_window, "button1");
    click(&m_window, "cancel");
    ASSERT_TRUE(waitFor([&] { return done.count() > 0; }));
    EXPECT_LT(decodeOgg(file("long.ogg")).size, kPcmBytes / 2);
    EXPECT_TRUE(idle(m_window));
    EXPECT_LT(child<QProgressBar>(&m_window, "progressbar1")->value(), 50);
}

TEST_F(ConverterTest, CompressionIsTakenAtEachStartAndCpuUsageSetsThePacing) {
    makeInputs(2);
    Twav2ogg window;
    window.show();
    auto* cpu = child<QComboBox>(&window, "cpu");
    auto* compr = child<QComboBox>(&window, "compr");
    EXPECT_EQ(cpu->currentText(), "1");
    EXPECT_EQ(compr->currentText(), "20");
    EXPECT_EQ(compr->count(), 8);
    EXPECT_EQ(window.VorbisOut1().Delay(), 11);
    for (auto [item, delay] : {std::pair{2, 1}, {1, 6}, {0, 11}}) {
        cpu->setCurrentIndex(item);
        EXPECT_EQ(window.VorbisOut1().Delay(), delay) << item;
    }
    cpu->setCurrentIndex(2);
    EXPECT_FALSE(window.VorbisOut1().SuspendWhenIdle());

    type(&window, "edit1", file("in.wav"));
    type(&window, "edit2", file("low.ogg"));
    ASSERT_TRUE(convert(window));
    EXPECT_FLOAT_EQ(window.VorbisOut1().Compression(), 0.2f);
    compr->setCurrentIndex(compr->findText("90"));
    EXPECT_FLOAT_EQ(window.VorbisOut1().Compression(), 0.2f) << "read only at the start";
    type(&window, "edit2", file("high.ogg"));
    ASSERT_TRUE(convert(window));
    EXPECT_FLOAT_EQ(window.VorbisOut1().Compression(), 0.9f);
    // The encoder got it: more bits for the higher setting.
    EXPECT_GT(readBytes(file("high.ogg")).size(), 2 * readBytes(file("low.ogg")).size());
}

TEST_F(ConverterTest, AnErrorInsideTheRunIsShownOnceItIsDone) {
    makeInputs(2);
    Twav2mp3 window;
    window.show();
    type(&window, "edit1", file("in.wav"));
    type(&window, "edit2", "/dev/full");
    BoxCatcher boxes;
    ASSERT_TRUE(convert(window));
    const std::string error = window.sink().lastError();
    ASSERT_FALSE(error.empty());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, errorReportText(QString::fromStdString(error)));
    EXPECT_TRUE(idle(window));
    EXPECT_FALSE(window.sink().Busy());
}

TEST_F(ConverterTest, OpenButtonsHandTheFileAndItsFolderToTheDesktop) {
    QStringList opened;
    setShellOpener([&](const QUrl& url) {
        opened << url.toLocalFile();
        return true;
    });
    Togg2wav window;
    window.show();
    type(&window, "edit1", "/music/in/a.ogg");
    type(&window, "edit2", "/music/out/b.wav");
    for (const char* button : {"BitBtn3", "BitBtn4", "BitBtn1", "BitBtn2"})
        click(&window, button);
    EXPECT_EQ(opened,
              (QStringList{"/music/in/a.ogg", "/music/in/", "/music/out/b.wav", "/music/out/"}));
    // Without a folder part there is nothing to open; the window says nothing either way.
    opened.clear();
    type(&window, "edit1", "a.ogg");
    BoxCatcher boxes;
    click(&window, "BitBtn4");
    click(&window, "BitBtn3");
    EXPECT_EQ(opened.size(), 1);
    EXPECT_TRUE(boxes.boxes.empty());
    setShellOpener({});
}

TEST_F(ConverterTest, ADroppedInputFileFillsTheInputBoxAndConverts) {
    writeMusicWav(file("in.wav"), 0.5, kRate, kChannels);
    writeBytes(file("in.ogg"), {0});
    writeBytes(file("notes.txt"), {0});
    std::filesystem::create_directory(file("folder.wav"));
    const auto q = [this](const char* name) { return QString::fromStdString(file(name)); };
    for (const Family& family : kFamily) {
        SCOPED_TRACE(family.name);
        auto window = family.make();
        window->show();
        auto* input = child<QLineEdit>(window.get(), "edit1");
        const QString kind = family.oggInput ? q("in.ogg") : q("in.wav");
        const QString other = family.oggInput ? q("in.wav") : q("in.ogg");

        // What the "Input" dialog could not choose is refused and leaves the boxes alone.
        input->setText("before");
        for (const QStringList& paths :
             {QStringList{other}, QStringList{q("notes.txt")}, QStringList{q("folder.wav")},
              QStringList{q("missing.wav"), q("missing.ogg")}, QStringList{kind, kind}}) {
            const DropAnswer answer = sendFileDrop(window.get(), paths);
            EXPECT_FALSE(answer.entered) << paths.join(", ").toStdString();
            EXPECT_FALSE(answer.dropped);
        }
        EXPECT_FALSE(sendDrop(window.get(), {QUrl("sftp://host/in.wav")}).entered);
        EXPECT_EQ(input->text(), "before");
        EXPECT_TRUE(child<QLineEdit>(window.get(), "edit2")->text().isEmpty());

        const DropAnswer answer = sendFileDrop(window.get(), {kind});
        EXPECT_TRUE(answer.entered);
        EXPECT_TRUE(answer.dropped);
        EXPECT_EQ(input->text(), kind);
    }

    // The dropped file is what the conversion reads.
    Twav2ogg window;
    window.show();
    ASSERT_TRUE(sendFileDrop(&window, {q("in.wav")}).dropped);
    type(&window, "edit2", file("dropped.ogg"));
    BoxCatcher boxes;
    ASSERT_TRUE(convert(window));
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.texts().join("; ").toStdString();
    EXPECT_EQ(decodeOgg(file("dropped.ogg")).size,
              static_cast<int64_t>(0.5 * kRate) * kChannels * 2);
}

}  // namespace
