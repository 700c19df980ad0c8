// The options, rename, CD information, about and splash windows on a real main window in a
// temporary start folder, driven with clicks and keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <optional>

#include "AboutUnit.h"
#include "AnswerFileDialog.h"
#include "BoxCatcher.h"
#include "CdMsgUnit.h"
#include "CddbClient.h"
#include "CddbTestServer.h"
#include "DiscImages.h"
#include "DriveList.h"
#include "MainUnit.h"
#include "MemoryWaveDevices.h"
#include "OpiontsUnit.h"
#include "RenameUnit.h"
#include "RipSettings.h"
#include "ScopedVariable.h"
#include "TestFiles.h"
#include "WaveAudio.h"
#include "p_flash.h"

namespace {

using namespace std::chrono_literals;

template <typename T>
T* child(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void click(QWidget* window, const char* button) {
    QTest::mouseClick(child<QAbstractButton>(window, button), Qt::LeftButton);
}

// Shows the dialog modally and runs act in the first event loop that runs then: the dialog's,
// or a message box's that its showing puts up. A watchdog closes a dialog that the test
// leaves open, and exec() then answers -1.
int run(QDialog& dialog, const std::function<void()>& act) {
    auto over = std::make_shared<bool>(false);
    QTimer::singleShot(0, &dialog, act);
    QTimer::singleShot(10000, &dialog, [&dialog, over] {
        if (!*over) dialog.done(-1);
    });
    const int result = dialog.exec();
    *over = true;
    return result;
}

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_dir.path());
        // Settings saved with no settings.ini here go to a configuration folder of the test's.
        m_config.emplace("XDG_CONFIG_HOME", (m_dir.path() / "config").string());
        std::filesystem::create_directory("discs");
        quillon::cdrom::setDiscFolder({});
        quillon::cdrom::setCddbTimeouts(1000ms, 2000ms);
        installWaveService(std::make_unique<MemoryWaveService>(
            std::vector<MemoryWaveService::Device>{{"Speakers"}},
            std::vector<MemoryWaveService::Device>{}));
    }
    void TearDown() override {
        m_main.reset();
        quillon::cdrom::setCddbTimeouts(5000ms, 10000ms);
        std::filesystem::current_path(m_previous);
        m_config.reset();
    }

    void writeSettings(const std::string& text) { std::ofstream("settings.ini") << text; }
    std::string settingsText() {
        std::ifstream in("settings.ini");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    TMainForm& open(const std::vector<int>& tracks = {}) {
        if (!tracks.empty()) writeCueImage("discs", "demo", tracks);
        m_main = std::make_unique<TMainForm>();
        m_main->timer().stop();  // its ticks would write over the status line
        m_main->show();
        return *m_main;
    }
    QTreeWidget* list() { return child<QTreeWidget>(m_main.get(), "ListView1"); }
    QStringList names() {
        QStringList result;
        for (int row = 0; row < list()->topLevelItemCount(); ++row)
            result << list()->topLevelItem(row)->text(1);
        return result;
    }
    QString status() { return child<QLabel>(m_main.get(), "spSLMsgOut")->text(); }

    TempDir m_dir;
    std::optional<ScopedVariable> m_config;
    std::filesystem::path m_previous;
    std::unique_ptr<TMainForm> m_main;
};

// ---- Options --------------------------------------------------------------------------------

TEST_F(DialogTest, OptionsWithoutASettingsFileShowDefaultsAndOkWritesEveryKey) {
    TOptions options(open());
    EXPECT_EQ(options.windowTitle(), "Options");
    auto* pages = child<QTabWidget>(&options, "PageControl1");
    ASSERT_EQ(pages->count(), 6);
    EXPECT_EQ(pages->tabText(3), "CDDB");
    EXPECT_EQ(pages->tabText(4), "Reading");
    EXPECT_EQ(pages->tabText(5), "FLAC/Opus");
    EXPECT_EQ(child<QCheckBox>(&options, "open")->text(), "Open the Output Folder After Ripping ");

    EXPECT_EQ(
        run(options,
            [&] {
                for (auto [name, shown] : {std::pair{"samplerate", "44100Hz"},
                                           {"bitrate", "128kb/s"},
                                           {"channel", "STEREO"},
                                           {"cpu", "3"},
                                           {"compr", "20"}})
                    EXPECT_EQ(child<QComboBox>(&options, name)->currentText(), shown);
                for (const char* box : {"copyright", "crc", "originalbit", "privatebit", "open"})
                    EXPECT_FALSE(child<QCheckBox>(&options, box)->isChecked()) << box;
                EXPECT_EQ(child<QLineEdit>(&options, "mp3folder")->text(), "");
                EXPECT_EQ(child<QLineEdit>(&options, "cddbserver")->text(), "gnudb.gnudb.org");
                EXPECT_EQ(child<QComboBox>(&options, "readmode")->currentText(), "Secure");
                EXPECT_EQ(child<QLineEdit>(&options, "retries")->text(), "20");
                EXPECT_FALSE(child<QCheckBox>(&options, "testpass")->isChecked());
                EXPECT_EQ(child<QLineEdit>(&options, "readoffset")->text(), "0");
                EXPECT_EQ(child<QLabel>(&options, "offsetdrive")->text(),
                          "for drives not seen before (no drive found)");
                EXPECT_EQ(child<QLineEdit>(&options, "accurateripserver")->text(),
                          "www.accuraterip.com");
                EXPECT_EQ(child<QLineEdit>(&options, "flaclevel")->text(), "5");
                EXPECT_EQ(child<QLineEdit>(&options, "opusbitrate")->text(), "160");
                click(&options, "okbutton");
            }),
        QDialog::Accepted);
    // Without a settings.ini in the start folder the first save makes the user's own.
    EXPECT_FALSE(std::filesystem::exists("settings.ini"));
    const TIniFile saved((m_dir.path() / "config" / "quillon" / "settings.ini").string());
    using Keys = std::vector<std::string>;
    EXPECT_EQ(saved.ReadSections(), (Keys{"MP3 Options", "Folder", "Ogg Options", "CDDB", "Reading",
                                          "AccurateRip", "FLAC", "Opus"}));
    EXPECT_EQ(saved.ReadSection("MP3 Options"),
              (Keys{"dwSampleRate", "wBitrate", "channel", "bCopyright", "bCRC", "bPrivate",
                    "bOriginal"}));
    EXPECT_EQ(saved.ReadSection("Folder"), (Keys{"mp3 folder", "wav folder", "Ogg folder", "open",
                                                 "flac folder", "opus folder"}));
    EXPECT_EQ(saved.ReadSection("Ogg Options"), (Keys{"cpu", "compr"}));
    EXPECT_EQ(saved.ReadSection("CDDB"), (Keys{"server", "email"}));
    EXPECT_EQ(saved.ReadSection("Reading"), (Keys{"mode", "retries", "test"}))
        << "an offset left alone is not written";
    EXPECT_EQ(saved.ReadString("Reading", "mode", ""), "secure");
    EXPECT_EQ(saved.ReadString("AccurateRip", "server", ""), "www.accuraterip.com");
    EXPECT_EQ(saved.ReadString("MP3 Options", "dwSampleRate", ""), "44100Hz");
    EXPECT_EQ(saved.ReadString("MP3 Options", "bCRC", ""), "False");
    EXPECT_EQ(saved.ReadString("Ogg Options", "compr", ""), "20");
    EXPECT_EQ(saved.ReadString("FLAC", "level", ""), "5");
    EXPECT_EQ(saved.ReadString("Opus", "bitrate", ""), "160");
}

TEST_F(DialogTest, OptionsShowStoredTextsExactlyAndKeepAnUnknownValue) {
    writeSettings(
        "[MP3 Options]\ndwSampleRate=44100\nwBitrate=192kb/s\nchannel=MONO\nbCopyright=false\n"
        "bCRC=False\nbPrivate=\n[Folder]\nmp3 folder=/music/mp3\nopen=True\n"
        "[Ogg Options]\ncpu=1\ncompr=90\n");
    TOptions options(open());
    auto* rate = child<QComboBox>(&options, "samplerate");
    run(options, [&] {
        EXPECT_EQ(rate->currentIndex(), -1) << "a value without its unit is no item";
        EXPECT_EQ(child<QComboBox>(&options, "bitrate")->currentText(), "192kb/s");
        EXPECT_EQ(child<QComboBox>(&options, "channel")->currentText(), "MONO");
        EXPECT_EQ(child<QComboBox>(&options, "cpu")->currentText(), "1");
        EXPECT_EQ(child<QComboBox>(&options, "compr")->currentText(), "90");
        EXPECT_TRUE(child<QCheckBox>(&options, "copyright")->isChecked()) << "only False is false";
        EXPECT_FALSE(child<QCheckBox>(&options, "crc")->isChecked());
        EXPECT_TRUE(child<QCheckBox>(&options, "privatebit")->isChecked());
        EXPECT_FALSE(child<QCheckBox>(&options, "originalbit")->isChecked()) << "missing";
        EXPECT_TRUE(child<QCheckBox>(&options, "open")->isChecked());
        EXPECT_EQ(child<QLineEdit>(&options, "mp3folder")->text(), "/music/mp3");
        click(&options, "okbutton");
    });
    // The empty list leaves its key alone: an empty rate would stop every later rip.
    const TIniFile saved("settings.ini");
    EXPECT_EQ(saved.ReadString("MP3 Options", "dwSampleRate", "missing"), "44100");
    EXPECT_EQ(saved.ReadString("MP3 Options", "bCopyright", ""), "True");

    // A list keeps its selection when the stored text is no item.
    writeSettings("[MP3 Options]\ndwSampleRate=48000Hz\n");
    run(options, [&] { click(&options, "cancelbutton"); });
    writeSettings("[MP3 Options]\ndwSampleRate=junk\n");
    run(options, [&] {
        EXPECT_EQ(rate->currentText(), "48000Hz");
        click(&options, "cancelbutton");
    });
}

TEST_F(DialogTest, OptionsCancelDiscardsWhatWasChangedAndFolderButtonsChoose) {
    writeSettings("[Folder]\nwav folder=/old\n");
    const std::string before = settingsText();
    std::filesystem::create_directory("picked");
    const QString picked = QString::fromStdString((m_dir.path() / "picked").string());
    TOptions options(open());
    auto* wav = child<QLineEdit>(&options, "wavfolder");
    auto chooseFolder = [&](bool accept) {
        // The user goes to the test's folder and types the name of one in it.
        auto seen = answerFileDialog(picked, accept);
        click(&options, "wavfolderbutton");
        EXPECT_EQ(seen->title, "Select a directory");
    };
    EXPECT_EQ(run(options,
                  [&] {
                      chooseFolder(false);
                      EXPECT_EQ(wav->text(), "/old");
                      chooseFolder(true);
                      EXPECT_EQ(wav->text(), picked);
                      QTest::mouseClick(child<QCheckBox>(&options, "crc"), Qt::LeftButton);
                      click(&options, "cancelbutton");
                  }),
              QDialog::Rejected);
    EXPECT_EQ(settingsText(), before);
    run(options, [&] {
        EXPECT_EQ(wav->text(), "/old");
        EXPECT_FALSE(child<QCheckBox>(&options, "crc")->isChecked());
        click(&options, "cancelbutton");
    });
}

TEST_F(DialogTest, AFailedWriteSaysSoAndEndsTheProcess) {
    writeSettings("[Ogg Options]\ncpu=2\n");
    std::filesystem::permissions("settings.ini", std::filesystem::perms::owner_read);
    TOptions options(open());
    int ends = 0;
    options.setProcessEnd([&] { ++ends; });
    MessageBoxSeen box;
    run(options, [&] {
        QTimer::singleShot(0, [&] { box = answerMessageBox(); });
        click(&options, "okbutton");
        click(&options, "cancelbutton");
    });
    EXPECT_EQ(box.text, "Settings.ini not exist!  ");
    EXPECT_EQ(box.title, "Error");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(settingsText(), "[Ogg Options]\ncpu=2\n");
}

TEST_F(DialogTest, TheReadingPageShowsAndKeepsTheChosenDrivesOwnOffset) {
    // The settings are in place before the main window opens them.
    writeCueImage("discs", "demo", {75, 75});
    DiscSession drives;
    ASSERT_TRUE(drives.enumerateDrives());
    const std::string drive = drives.driveNames()[0];
    writeSettings("[Reading]\nmode=fast\nretries=5\ntest=True\noffset=0\n[Offsets]\n" +
                  driveOffsetKey(drive) +
                  "=6\nOTHER DRIVE=48\n[AccurateRip]\nserver=localhost:8080\n");
    TMainForm& main = open();
    ASSERT_EQ(main.disc().driveNames().front(), drive);
    TOptions options(main);
    auto* mode = child<QComboBox>(&options, "readmode");
    auto* retries = child<QLineEdit>(&options, "retries");
    auto* test = child<QCheckBox>(&options, "testpass");
    auto* offset = child<QLineEdit>(&options, "readoffset");
    run(options, [&] {
        EXPECT_EQ(mode->currentText(), "Fast");
        EXPECT_EQ(retries->text(), "5");
        EXPECT_TRUE(test->isChecked());
        EXPECT_FALSE(retries->isEnabled()) << "fast reading makes no retries";
        EXPECT_FALSE(test->isEnabled());
        EXPECT_EQ(offset->text(), "6");
        EXPECT_EQ(child<QLabel>(&options, "offsetdrive")->text(),
                  "for " + QString::fromStdString(drive).simplified());
        EXPECT_EQ(child<QLineEdit>(&options, "accurateripserver")->text(), "localhost:8080");

        child<QTabWidget>(&options, "PageControl1")->setCurrentIndex(4);
        mode->setFocus();
        QTest::keyClick(mode, Qt::Key_Up);
        EXPECT_EQ(mode->currentText(), "Secure");
        EXPECT_TRUE(retries->isEnabled());
        QTest::keyClick(test, Qt::Key_Space);
        offset->selectAll();
        QTest::keyClicks(offset, "-30");
        click(&options, "okbutton");
    });
    const TIniFile saved("settings.ini");
    EXPECT_EQ(saved.ReadString("Reading", "mode", ""), "secure");
    EXPECT_EQ(saved.ReadString("Reading", "test", ""), "False");
    const ReadingSettings reading = readReadingSettings(saved, drive);
    EXPECT_EQ(reading.offset, -30);
    EXPECT_EQ(reading.retries, 5);
    EXPECT_EQ(readReadingSettings(saved, "OTHER DRIVE").offset, 48) << "other drives keep theirs";
}

// The offset follows the drive the user picks in the main window.
TEST_F(DialogTest, TheReadingPageFollowsTheDriveChosenInTheMainWindow) {
    writeCueImage("discs", "first", {75});
    writeCueImage("discs", "second", {75});
    DiscSession drives;
    ASSERT_TRUE(drives.enumerateDrives());
    ASSERT_EQ(drives.driveNames().size(), 2u);
    const std::string second = drives.driveNames()[1];
    writeSettings("[Offsets]\n" + driveOffsetKey(drives.driveNames()[0]) + "=102\n" +
                  driveOffsetKey(second) + "=-472\n");
    TMainForm& main = open();
    auto* list = child<QComboBox>(&main, "spCDROMlist");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);  // picks the second drive, as a user does
    ASSERT_EQ(main.disc().selectedName(), second);

    TOptions options(main);
    auto* offset = child<QLineEdit>(&options, "readoffset");
    run(options, [&] {
        EXPECT_EQ(offset->text(), "-472");
        offset->selectAll();
        QTest::keyClicks(offset, "-468");
        click(&options, "okbutton");
    });
    const TIniFile saved("settings.ini");
    EXPECT_EQ(readReadingSettings(saved, second).offset, -468);
    EXPECT_EQ(readReadingSettings(saved, drives.driveNames()[0]).offset, 102);
}

TEST_F(DialogTest, TheReadingPageRefusesValuesOutOfRangeAndSaysWhy) {
    writeSettings("[Reading]\nretries=3\n");
    const std::string before = settingsText();
    TOptions options(open());
    auto* pages = child<QTabWidget>(&options, "PageControl1");
    auto* retries = child<QLineEdit>(&options, "retries");
    auto* offset = child<QLineEdit>(&options, "readoffset");
    auto* server = child<QLineEdit>(&options, "accurateripserver");
    // Types into the field, clicks OK and notes the box that says no.
    auto refused = [&](QLineEdit* field, const char* typed) {
        field->selectAll();
        QTest::keyClicks(field, typed);
        pages->setCurrentIndex(0);
        MessageBoxSeen box;
        QTimer::singleShot(0, [&] { box = answerMessageBox(); });
        click(&options, "okbutton");
        EXPECT_TRUE(options.isVisible()) << typed;
        EXPECT_EQ(pages->currentIndex(), 4) << "the page with the fault is shown";
        EXPECT_EQ(box.title, "Options");
        EXPECT_EQ(box.icon, QMessageBox::Warning);
        return box.text;
    };
    const int result = run(options, [&] {
        const QString retriesText = "Retries must be a whole number from 0 to 1000.";
        EXPECT_EQ(refused(retries, "1001"), retriesText);
        EXPECT_EQ(refused(retries, "-1"), retriesText);
        EXPECT_EQ(refused(retries, "many"), retriesText);
        EXPECT_EQ(retries->selectedText(), "many") << "ready to be typed over";
        QTest::keyClicks(retries, "1000");
        const QString offsetText =
            "The read offset must be a whole number of samples from -29400 to 29400.";
        EXPECT_EQ(refused(offset, "29401"), offsetText);
        EXPECT_EQ(refused(offset, "-29401"), offsetText);
        EXPECT_EQ(refused(offset, "6.5"), offsetText);
        offset->selectAll();
        QTest::keyClicks(offset, "+29400");
        EXPECT_EQ(refused(server, "two words"),
                  "The AccurateRip server must be a host name, host:port or an address "
                  "starting with http://.");
        EXPECT_EQ(settingsText(), before) << "nothing is written until every value is right";
        server->clear();
        click(&options, "okbutton");
    });
    EXPECT_EQ(result, QDialog::Accepted);
    const TIniFile saved("settings.ini");
    EXPECT_EQ(saved.ReadString("Reading", "retries", ""), "1000");
    EXPECT_EQ(saved.ReadString("Reading", "offset", ""), "29400") << "no drive: the general one";
    EXPECT_EQ(saved.ReadString("AccurateRip", "server", ""), "www.accuraterip.com");
}

TEST_F(DialogTest, TheFlacOpusPageShowsWhatTheRipUsesAndRefusesValuesOutOfRange) {
    writeSettings("[FLAC]\nlevel=12\n[Opus]\nbitrate=96\n[Folder]\nopus folder=/music/opus\n");
    const std::string before = settingsText();
    TOptions options(open());
    auto* pages = child<QTabWidget>(&options, "PageControl1");
    auto* level = child<QLineEdit>(&options, "flaclevel");
    auto* bitrate = child<QLineEdit>(&options, "opusbitrate");
    auto refused = [&](QLineEdit* field, const char* typed) {
        field->selectAll();
        QTest::keyClicks(field, typed);
        pages->setCurrentIndex(0);
        MessageBoxSeen box;
        QTimer::singleShot(0, [&] { box = answerMessageBox(); });
        click(&options, "okbutton");
        EXPECT_TRUE(options.isVisible()) << typed;
        EXPECT_EQ(pages->currentWidget()->objectName(), "FlacOpusPage");
        return box.text;
    };
    const int result = run(options, [&] {
        EXPECT_EQ(level->text(), "5") << "a stored level out of range counts as the default";
        EXPECT_EQ(bitrate->text(), "96");
        EXPECT_EQ(child<QLineEdit>(&options, "opusfolder")->text(), "/music/opus");
        const QString levelText = "The FLAC level must be a whole number from 0 to 8.";
        EXPECT_EQ(refused(level, "9"), levelText);
        EXPECT_EQ(refused(level, "-1"), levelText);
        EXPECT_EQ(refused(level, "best"), levelText);
        level->selectAll();
        QTest::keyClicks(level, "8");
        const QString rateText =
            "The Opus bit rate must be a whole number of kbit/s from 6 to 256.";
        EXPECT_EQ(refused(bitrate, "5"), rateText);
        EXPECT_EQ(refused(bitrate, "257"), rateText);
        EXPECT_EQ(settingsText(), before) << "nothing is written until every value is right";
        bitrate->selectAll();
        QTest::keyClicks(bitrate, "6");
        click(&options, "okbutton");
    });
    EXPECT_EQ(result, QDialog::Accepted);
    const TIniFile saved("settings.ini");
    EXPECT_EQ(saved.ReadString("FLAC", "level", ""), "8");
    EXPECT_EQ(saved.ReadString("Opus", "bitrate", ""), "6");
    EXPECT_EQ(saved.ReadString("Folder", "opus folder", ""), "/music/opus");
}

// ---- Rename ---------------------------------------------------------------------------------

TEST_F(DialogTest, RenameStoresTheEditWithTheFormatsExtension) {
    TMainForm& main = open({75, 75, 75, 75});
    main.Timer1Timer();
    ASSERT_EQ(list()->topLevelItemCount(), 4);
    Trename rename(main);
    EXPECT_EQ(rename.windowTitle(), "Rename ");
    auto* edit = child<QLineEdit>(&rename, "filename");
    auto renameRow = [&](int row, const QString& shown, const char* typed, bool accept = true) {
        list()->setCurrentItem(list()->topLevelItem(row));
        return run(rename, [&] {
            EXPECT_EQ(edit->text(), shown);
            QTest::keyClicks(edit, typed);  // replaces the selected text
            if (accept)
                QTest::keyClick(edit, Qt::Key_Return);  // "OK" is the default button
            else
                click(&rename, "cancelbutton");
        });
    };
    EXPECT_EQ(renameRow(2, "Track-03", "Song"), QDialog::Accepted);
    EXPECT_EQ(names()[2], "Song.mp3");
    EXPECT_EQ(main.tracks().row(2).name, "Song.mp3");

    QTest::mouseClick(child<QRadioButton>(&main, "oggcheck"), Qt::LeftButton);
    EXPECT_EQ(names()[2], "Song.Ogg");
    EXPECT_EQ(renameRow(2, "Song", "Song"), QDialog::Accepted);
    EXPECT_EQ(names()[2], "Song.ogg");
    EXPECT_EQ(renameRow(1, "Track-02", "Other", false), QDialog::Rejected);
    EXPECT_EQ(names()[1], "Track-02.Ogg");

    // A name shorter than its extension leaves nothing; an empty name is stored as it is.
    main.tracks().row(0).name = "ab";
    main.showRows();
    renameRow(0, "", "");
    EXPECT_EQ(names()[0], ".ogg");
}

// ---- CD information -------------------------------------------------------------------------

class CdInformationTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        writeSettings("[CDDB]\nserver=" + m_server.address() +
                      "\nemail=me@example.org\n[Metadata]\nsources=cddb\n");
    }
    // The disc of {100, 60, 150} frames: digit sums 2 + 3 + 4, 4 seconds, 3 tracks.
    static constexpr const char* kDiscId = "09000403";

    void addEntry() {
        m_server.addEntry({"rock",
                           kDiscId,
                           "The Band / The Record",
                           {"DISCID=09000403", "DTITLE=The Band / The Record", "TTITLE0=Opening",
                            "TTITLE2=Finale"}});
    }
    // Shows the window, answering the message box it may show; the values afterwards.
    QStringList lookUp(TCdMsgForm& info, MessageBoxSeen* box = nullptr) {
        EXPECT_EQ(run(info,
                      [&] {
                          if (box) *box = answerMessageBox();
                          QTimer::singleShot(0, [&] { click(&info, "closebutton"); });
                      }),
                  QDialog::Accepted);
        QStringList values;
        for (const char* name : {"edDiscID", "edArtist", "edTitle", "edCategory"})
            values << child<QLabel>(&info, name)->text();
        return values;
    }

    CddbTestServer m_server;
};

TEST_F(CdInformationTest, EachShowingLooksTheDiscUpAndNamesTheRows) {
    addEntry();
    TMainForm& main = open({100, 60, 150});
    TCdMsgForm info(main);
    EXPECT_EQ(info.windowTitle(), "CD Information");
    EXPECT_EQ(lookUp(info), (QStringList{kDiscId, "The Band", "The Record", "rock"}));
    EXPECT_EQ(names(), (QStringList{"Opening.mp3", "Track-02.mp3", "Finale.mp3"}));
    EXPECT_EQ(status(), "Successful");
    EXPECT_EQ(main.currentRow(), 0);
    EXPECT_EQ(m_server.requests().at(1).hello, "me example.org program 1.0");
    // The names the desktop's media controls show for the disc.
    EXPECT_EQ(main.discArtist(), "The Band");
    EXPECT_EQ(main.discAlbum(), "The Record");

    // A rename does not survive the next showing, which asks the server again.
    main.tracks().rename(0, "Mine", OutputFormat::mp3);
    main.showRows();
    lookUp(info);
    EXPECT_EQ(names()[0], "Opening.mp3");
    EXPECT_EQ(m_server.requests().size(), 6u);
}

TEST_F(CdInformationTest, WithoutAMatchTheLocalIdAndUnknownsAreShown) {
    TCdMsgForm info(open({100, 60, 150}));
    EXPECT_EQ(lookUp(info),
              (QStringList{"9000403", "Unknown Artist", "Unknown Title", "Unknown Type"}));
    EXPECT_EQ(status(), "No record in CDDB!");
    EXPECT_EQ(names(), (QStringList{"Track-01.mp3", "Track-02.mp3", "Track-03.mp3"}));
}

TEST_F(CdInformationTest, FailuresKeepTheValuesShownBefore) {
    addEntry();
    TCdMsgForm info(open({100, 60, 150}));
    const QStringList found = lookUp(info);

    m_server.setRawAnswer("read", std::string("401 rock ") + kDiscId + " No such CD entry.\r\n");
    MessageBoxSeen box;
    EXPECT_EQ(lookUp(info, &box), found);
    EXPECT_EQ(box.text, "Error while getting DiskInfo!");
    EXPECT_EQ(box.title, "Quillon");
    EXPECT_EQ(names(), (QStringList{"Track-01.mp3", "Track-02.mp3", "Track-03.mp3"}));

    m_server.stop();
    EXPECT_EQ(lookUp(info), found);
    EXPECT_EQ(status(), "Can't got CDDB server list");
    EXPECT_EQ(names().size(), 3);

    std::filesystem::remove_all("discs");
    EXPECT_EQ(lookUp(info), found);
    EXPECT_EQ(status(), "Cann't get CD Information from CDDB!");
    EXPECT_TRUE(names().isEmpty());
}

// ---- About and splash -----------------------------------------------------------------------

TEST_F(DialogTest, AboutClosesWithReturnAndTheSplashIsACentredPicture) {
    TAboutForm about;
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_EQ(child<QLabel>(&about, "Version")->text(), "For Windows V 3.3 Build 0299");
    EXPECT_EQ(run(about, [&] { QTest::keyClick(&about, Qt::Key_Return); }), QDialog::Accepted);

    Tflash splash;
    splash.showAndPaint();
    EXPECT_TRUE(splash.isVisible());
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((splash.geometry().center() - screen.center()).manhattanLength(), 2);
    const QImage picture = Tflash::picture().toImage();
    EXPECT_NE(picture.pixel(0, 0), picture.pixel(picture.width() - 1, picture.height() - 1))
        << "a gradient, not a blank";
}

}  // namespace
