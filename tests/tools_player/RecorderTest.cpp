// The sound recorder, driven as a user drives it, recording from in-memory sound devices.
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>

#include "MemoryWaveDevices.h"
#include "WindowTesting.h"
#include "recorderUnit.h"

namespace {

using namespace testing_windows;

uint32_t le32(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}
uint16_t le16(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// Checks that a file is a canonical WAV file of the given format whose header tells the
// bytes that follow it, and returns the number of those bytes.
size_t checkWav(const std::string& path, int channels, int bits, int rate) {
    const auto bytes = readBytes(path);
    EXPECT_GE(bytes.size(), 44u);
    if (bytes.size() < 44) return 0;
    const size_t data = bytes.size() - 44;
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(le32(bytes, 4), data + 36);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(le32(bytes, 16), 16u);
    EXPECT_EQ(le16(bytes, 20), 1) << "PCM";
    EXPECT_EQ(le16(bytes, 22), channels);
    EXPECT_EQ(le32(bytes, 24), static_cast<uint32_t>(rate));
    EXPECT_EQ(le32(bytes, 28), static_cast<uint32_t>(rate * channels * bits / 8));
    EXPECT_EQ(le16(bytes, 32), channels * bits / 8);
    EXPECT_EQ(le16(bytes, 34), bits);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    EXPECT_EQ(le32(bytes, 40), data);
    return data;
}

// Whether the data of a recording is the devices' signal from its start.
bool holdsTheSignal(const std::string& path) {
    const auto bytes = readBytes(path);
    for (size_t i = 44; i < bytes.size(); ++i)
        if (bytes[i] != static_cast<uint8_t>((i - 44) % 251)) return false;
    return true;
}

class RecorderTest : public ::testing::Test {
  protected:
    void SetUp() override { install({{"Microphone"}}); }
    void TearDown() override {
        if (window) {
            devices->setPace(0);
            waitFor([&] { return idle(); });
            window.reset();
        }
        installWaveService(std::make_unique<MemoryWaveService>(
            std::vector<MemoryWaveService::Device>{}, std::vector<MemoryWaveService::Device>{}));
    }

    void install(std::vector<MemoryWaveService::Device> inputs) {
        auto service = std::make_unique<MemoryWaveService>(
            std::vector<MemoryWaveService::Device>{{"Speakers"}}, std::move(inputs));
        devices = service.get();
        installWaveService(std::move(service));
    }
    void open() {
        window = std::make_unique<Trecorder>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        convert = child<QPushButton>("Button1");
        closeButton = child<QPushButton>("Button3");
        gauge = child<QProgressBar>("progressbar1");
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
    // Clicks a choice on its round mark.
    void choose(const char* name) {
        auto* choice = child<QRadioButton>(name);
        QStyleOptionButton option;
        option.initFrom(choice);
        const QRect mark =
            choice->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, choice);
        QTest::mouseClick(choice, Qt::LeftButton, {}, mark.center());
        EXPECT_TRUE(choice->isChecked()) << name;
    }
    bool idle() { return convert->isEnabled() && closeButton->isEnabled(); }
    // "Convert" with the file named in the save dialog.
    void record(const std::string& file) {
        answerFileDialog(QString::fromStdString(dir.file(file)));
        click("Button1");
    }
    void recordAndWait(const std::string& file) {
        record(file);
        ASSERT_TRUE(waitFor([&] { return idle() && std::filesystem::exists(dir.file(file)); }));
    }

    TempDir dir;
    MemoryWaveService* devices = nullptr;
    std::unique_ptr<Trecorder> window;
    QPushButton* convert = nullptr;
    QPushButton* closeButton = nullptr;
    QProgressBar* gauge = nullptr;
};

TEST_F(RecorderTest, TheDefaultsRecordThirtySecondsOfMonoSixteenBitAt22050Hz) {
    open();
    EXPECT_EQ(child<QLabel>("Label2")->text(), "Microphone");
    ThreadWatch watch;
    watch.watch(convert);
    watch.watch(closeButton);
    watch.watch(gauge);
    // The window's close box hides it while the recording goes on to its end.
    devices->setPace(2000000);
    record("take.wav");
    EXPECT_FALSE(closeButton->isEnabled());
    window->close();
    EXPECT_FALSE(window->isVisible());
    ASSERT_TRUE(waitFor([&] { return idle(); }));
    EXPECT_EQ(checkWav(dir.file("take.wav"), 1, 16, 22050), 1323000u);
    EXPECT_TRUE(holdsTheSignal(dir.file("take.wav")));
    EXPECT_EQ(devices->lastFormat().nSamplesPerSec, 22050u);
    EXPECT_EQ(gauge->value(), 100);
    EXPECT_GT(watch.changes, 0);
    EXPECT_EQ(watch.offThread, 0) << "the sink's reports change the window on its own thread";

    // An existing file is replaced without a question.
    devices->setPace(0);
    window->show();
    recordAndWait("take.wav");
    EXPECT_EQ(checkWav(dir.file("take.wav"), 1, 16, 22050), 1323000u);
}

TEST_F(RecorderTest, TheChoicesSetFormatAndLength) {
    open();
    auto* duration = child<QSpinBox>("SpinEdit1");
    choose("stereo");
    choose("bits8");
    choose("rate11025");
    duration->setFocus();
    duration->selectAll();
    QTest::keyClicks(duration, "600");
    recordAndWait("long.wav");
    EXPECT_EQ(checkWav(dir.file("long.wav"), 2, 8, 11025), 13230000u);

    // Text that is no number counts as thirty seconds; Enter starts the recording.
    choose("bits16");
    choose("rate44100");
    duration->setFocus();
    duration->selectAll();
    QTest::keyClick(duration, Qt::Key_Backspace);
    QTest::keyClicks(duration, "x");
    answerFileDialog(QString::fromStdString(dir.file("short")));
    QTest::keyClick(duration, Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return idle() && std::filesystem::exists(dir.file("short.wav")); }));
    EXPECT_EQ(checkWav(dir.file("short.wav"), 2, 16, 44100), 5292000u);
    EXPECT_EQ(duration->value(), 30);
}

TEST_F(RecorderTest, CancelLeavesAValidShorterFile) {
    open();
    // Cancelling the dialog records nothing.
    answerFileDialog(QString::fromStdString(dir.file("never.wav")), false);
    click("Button1");
    EXPECT_TRUE(idle());
    EXPECT_EQ(devices->opens(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("never.wav")));

    devices->setPace(200000);
    record("cut.wav");
    ASSERT_TRUE(waitFor([&] { return gauge->value() >= 3; }));
    EXPECT_FALSE(convert->isEnabled());
    EXPECT_FALSE(closeButton->isEnabled());
    click("Button2");
    ASSERT_TRUE(waitFor([&] { return idle(); }));
    const size_t data = checkWav(dir.file("cut.wav"), 1, 16, 22050);
    EXPECT_GT(data, 0u);
    EXPECT_LT(data, 1323000u);
    EXPECT_TRUE(holdsTheSignal(dir.file("cut.wav")));
}

TEST_F(RecorderTest, AMissingOrRefusingDeviceIsReportedAndTheWindowStaysUsable) {
    BoxCatcher boxes;
    install({});
    open();
    ASSERT_EQ(boxes.texts(), QStringList{"Device 0 is not available."}) << "once, at creation";
    EXPECT_EQ(child<QLabel>("Label2")->text(), "");
    record("none.wav");
    ASSERT_EQ(boxes.texts().size(), 2);
    EXPECT_EQ(boxes.texts()[1], "There is no recording device.");
    EXPECT_TRUE(idle());
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.wav")));
    window.reset();

    install({{"Microphone"}});
    devices->refuseFormats([](const WAVEFORMATEX& format) { return format.wBitsPerSample == 8; });
    open();
    choose("bits8");
    record("eight.wav");
    ASSERT_EQ(boxes.texts().size(), 3);
    EXPECT_EQ(boxes.texts()[2], "The recording device cannot record 22050 Hz, 8 bits, 1 channel.");
    EXPECT_TRUE(idle());
    choose("bits16");
    recordAndWait("sixteen.wav");
    EXPECT_EQ(checkWav(dir.file("sixteen.wav"), 1, 16, 22050), 1323000u);
    EXPECT_EQ(boxes.texts().size(), 3);
}

TEST_F(RecorderTest, ADeviceLostDuringTheRecordingIsReportedOnceItHasEnded) {
    BoxCatcher boxes;
    open();
    devices->failAfter(100000);
    record("lost.wav");
    ASSERT_TRUE(waitFor([&] { return boxes.texts().size() == 1; }));
    EXPECT_EQ(boxes.texts()[0], "The recording device stopped working.");
    EXPECT_TRUE(idle());
    const size_t data = checkWav(dir.file("lost.wav"), 1, 16, 22050);
    EXPECT_LE(data, 100000u);
    EXPECT_TRUE(holdsTheSignal(dir.file("lost.wav")));
}

}  // namespace
