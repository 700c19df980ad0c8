// The main window on a disc image and in-memory sound devices, driven as a user drives it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "DiscEvents.h"
#include "DiscImages.h"
#include "DriveList.h"
#include "ErrorReport.h"
#include "FakeDeviceEvents.h"
#include "IniFile.h"
#include "MainUnit.h"
#include "MemoryWaveDevices.h"
#include "ScopedVariable.h"
#include "TestFiles.h"
#include "UserPaths.h"
#include "WaitFor.h"

namespace {

using quillon::cdplayer::CdMode;

void writeText(const std::string& path, const std::string& text) {
    writeBytes(path, {text.begin(), text.end()});
}

class MainFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_dir.path());
        // Without a settings.ini here the program keeps its settings in the configuration
        // folder, which each test has of its own.
        m_config.emplace("XDG_CONFIG_HOME", (m_dir.path() / "config").string());
        std::filesystem::create_directory("discs");
        quillon::cdrom::setDiscFolder({});
        auto service = std::make_unique<MemoryWaveService>(
            std::vector<MemoryWaveService::Device>{{"Speakers"}},
            std::vector<MemoryWaveService::Device>{});
        sound = service.get();
        sound->holdOutput(true);  // playback stays where it is until a test lets it go on
        installWaveService(std::move(service));
    }
    void TearDown() override {
        sound->holdOutput(false);  // a test that failed half-way may have left it playing
        form.reset();
        installWaveService(std::make_unique<MemoryWaveService>(
            std::vector<MemoryWaveService::Device>{}, std::vector<MemoryWaveService::Device>{}));
        std::filesystem::current_path(m_previous);
        m_config.reset();
    }

    void insertDisc(const std::vector<int>& tracks) {
        writeCueImage(m_dir.path() / "discs", "demo", tracks);
    }
    TMainForm& open() {
        form = std::make_unique<TMainForm>();
        form->show();
        return *form;
    }
    template <typename T>
    T* control(const char* name) {
        return form->findChild<T*>(QString::fromLatin1(name));
    }
    QTreeWidget* list() { return control<QTreeWidget>("ListView1"); }
    QString status() { return control<QLabel>("spSLMsgOut")->text(); }
    QStringList names() {
        QStringList result;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            result << list()->topLevelItem(i)->text(1);
        return result;
    }
    QList<bool> checks() {
        QList<bool> result;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            result << (list()->topLevelItem(i)->checkState(0) == Qt::Checked);
        return result;
    }
    QList<int> selectedRows() {
        QList<int> result;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            if (list()->topLevelItem(i)->isSelected()) result << i;
        return result;
    }
    // Clicks a row away from its check box, as a user picks it.
    void clickRow(int row, Qt::KeyboardModifiers modifiers = {}) {
        const QRect rect = list()->visualItemRect(list()->topLevelItem(row));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, modifiers,
                          QPoint(list()->columnWidth(0) + 20, rect.center().y()));
    }

    TempDir m_dir;
    std::optional<ScopedVariable> m_config;
    std::filesystem::path m_previous;
    MemoryWaveService* sound = nullptr;
    std::unique_ptr<TMainForm> form;
};

TEST_F(MainFormTest, WithoutADiscTheStatusAsksForOne) {
    TMainForm& main = open();
    EXPECT_FALSE(main.playerAvailable());
    EXPECT_FALSE(main.timer().isActive());
    main.Timer1Timer();
    EXPECT_EQ(status(), "Please put a CD into the CDROM");
    EXPECT_EQ(list()->topLevelItemCount(), 0);
    EXPECT_EQ(main.outputFolder().toStdString(), quillon::paths::musicFolder().string())
        << "no settings: the music folder";
}

TEST_F(MainFormTest, ADiscFillsTheListOnTheNextTick) {
    insertDisc({75, 150, 74, 4500, 75, 75, 75, 75, 75, 75, 75, 22});
    TMainForm& main = open();
    EXPECT_TRUE(main.playerAvailable());
    EXPECT_TRUE(main.timer().isActive());
    EXPECT_EQ(main.timer().interval(), 500);
    main.Timer1Timer();
    EXPECT_EQ(status(), "  There are 12 tracks in the CD");
    ASSERT_EQ(list()->topLevelItemCount(), 12);
    EXPECT_EQ(names().front(), "Track-01.mp3");
    EXPECT_EQ(names().back(), "Track-12.mp3");
    QTreeWidgetItem* third = list()->topLevelItem(2);
    EXPECT_EQ(third->text(0), "03");
    EXPECT_EQ(third->text(2), "00:00,74");
    EXPECT_EQ(third->text(4), "74");
    EXPECT_EQ(list()->topLevelItem(3)->text(2), "01:00,00");
    EXPECT_EQ(list()->currentItem(), list()->topLevelItem(0));
    EXPECT_EQ(checks(), QList<bool>(12, true));
}

TEST_F(MainFormTest, ADiscTheMachineReportsIsListedWithoutWaitingForTheTick) {
    insertDisc({75, 150, 75});
    FakeDeviceEvents* events = nullptr;
    quillon::discwatch::setEventSourceOpener([&events] {
        auto source = std::make_unique<FakeDeviceEvents>();
        events = source.get();
        return source;
    });
    TMainForm& main = open();
    quillon::discwatch::setEventSourceOpener({});
    ASSERT_NE(events, nullptr);
    // The poll is still there, but too slow to be what fills the list here.
    ASSERT_TRUE(main.timer().isActive());
    main.timer().start(3600000);
    const std::string drive = main.disc().selectedPath();
    events->send({mediaChange(drive + ".other", true)});
    ASSERT_TRUE(waitFor([&] { return events->drained(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(list()->topLevelItemCount(), 0) << "news of another drive changes nothing";
    events->send({mediaChange(drive, true)});
    ASSERT_TRUE(waitFor([&] { return list()->topLevelItemCount() == 3; }));
    EXPECT_EQ(status(), "  There are 3 tracks in the CD");

    // While a rip has the drive the timer is stopped, and the news waits for it as well.
    form.reset();
    events = nullptr;
    quillon::discwatch::setEventSourceOpener([&events] {
        auto source = std::make_unique<FakeDeviceEvents>();
        events = source.get();
        return source;
    });
    TMainForm& again = open();
    quillon::discwatch::setEventSourceOpener({});
    again.timer().stop();
    events->send({mediaChange(again.disc().selectedPath(), true)});
    ASSERT_TRUE(waitFor([&] { return events->drained(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(list()->topLevelItemCount(), 0);
}

TEST_F(MainFormTest, WithoutNewsFromTheMachineThePollStillFillsTheList) {
    insertDisc({75, 150, 75});
    quillon::discwatch::setEventSourceOpener([] { return nullptr; });  // no udev, no netlink
    TMainForm& main = open();
    quillon::discwatch::setEventSourceOpener({});
    EXPECT_TRUE(main.timer().isActive());
    EXPECT_EQ(main.timer().interval(), 500);
    ASSERT_TRUE(waitFor([&] { return list()->topLevelItemCount() == 3; }));
}

TEST_F(MainFormTest, FormatSwitchRenamesRowsAndReloadsTheFolder) {
    insertDisc({75, 75});
    writeBytes("settings.ini", {'[', 'F', 'o', 'l', 'd', 'e', 'r', ']',  '\n', 'w', 'a', 'v', ' ',
                                'f', 'o', 'l', 'd', 'e', 'r', '=', '\n', 'O',  'g', 'g', ' ', 'f',
                                'o', 'l', 'd', 'e', 'r', '=', '/', 'o',  'g',  'g', 's', '\n'});
    // A new user's folder is the desktop's music folder, wherever the program starts.
    std::filesystem::create_directory("config");
    writeText("config/user-dirs.dirs",
              "XDG_MUSIC_DIR=\"" + (m_dir.path() / "Music").string() + "\"\n");
    TMainForm& main = open();
    main.Timer1Timer();
    QTest::mouseClick(control<QRadioButton>("wavcheck"), Qt::LeftButton);
    EXPECT_EQ(names(), (QStringList{"Track-01.wav", "Track-02.wav"}));
    const QString start = QString::fromStdString(m_dir.path().string());
    EXPECT_EQ(main.outputFolder(), start + "/WAV") << "an empty key: a folder of its own";
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.path() / "WAV"));
    QTest::mouseClick(control<QRadioButton>("oggcheck"), Qt::LeftButton);
    EXPECT_EQ(names(), (QStringList{"Track-01.Ogg", "Track-02.Ogg"}));
    EXPECT_EQ(main.outputFolder(), "/oggs");
    QTest::mouseClick(control<QRadioButton>("mp3check"), Qt::LeftButton);
    EXPECT_EQ(names(), (QStringList{"Track-01.mp3", "Track-02.mp3"}));
    EXPECT_EQ(main.outputFolder(), start + "/Music") << "a missing key: the music folder";
    EXPECT_EQ(main.tracks().row(0).name, "Track-01.mp3");

    // The four-letter formats: the whole extension goes at each switch, and each has its
    // own folder.
    QTest::mouseClick(control<QRadioButton>("flaccheck"), Qt::LeftButton);
    EXPECT_EQ(names(), (QStringList{"Track-01.flac", "Track-02.flac"}));
    EXPECT_EQ(main.outputFormat(), OutputFormat::flac);
    EXPECT_EQ(main.outputFolder(), start + "/Music");
    QTest::mouseClick(control<QRadioButton>("opuscheck"), Qt::LeftButton);
    EXPECT_EQ(names(), (QStringList{"Track-01.opus", "Track-02.opus"}));
    QTest::mouseClick(control<QRadioButton>("wavcheck"), Qt::LeftButton);
    EXPECT_EQ(names(), (QStringList{"Track-01.wav", "Track-02.wav"}));
}

TEST_F(MainFormTest, CheckAllSelectsAndInverts) {
    insertDisc({75, 75, 75});
    TMainForm& main = open();
    main.Timer1Timer();
    // The user unchecks the second row by hand.
    QTreeWidgetItem* second = list()->topLevelItem(1);
    second->setCheckState(0, Qt::Unchecked);
    EXPECT_FALSE(main.tracks().row(1).checked);
    auto* checkAll = control<QCheckBox>("spSkinCheckRadioBox1");
    QTest::mouseClick(checkAll, Qt::LeftButton);  // now unchecked: invert
    EXPECT_EQ(checks(), (QList<bool>{false, true, false}));
    EXPECT_FALSE(main.tracks().anyChecked() && main.tracks().row(0).checked);
    QTest::mouseClick(checkAll, Qt::LeftButton);  // checked again: select all
    EXPECT_EQ(checks(), (QList<bool>{true, true, true}));
    EXPECT_EQ(list()->selectedItems().size(), 3);
}

TEST_F(MainFormTest, UnselectAllSwapsTheSelectedAndTheOtherRows) {
    insertDisc({75, 75, 75, 75, 75, 75});
    TMainForm& main = open();
    main.Timer1Timer();
    clickRow(0);
    clickRow(1, Qt::ControlModifier);
    ASSERT_EQ(selectedRows(), (QList<int>{0, 1}));
    ASSERT_EQ(main.currentRow(), 1);
    QTest::mouseClick(control<QCheckBox>("spSkinCheckRadioBox1"), Qt::LeftButton);
    EXPECT_EQ(selectedRows(), (QList<int>{2, 3, 4, 5}));
    EXPECT_EQ(checks(), QList<bool>(6, false));
    EXPECT_EQ(main.currentRow(), 0) << "the focus mark leaves its row for the first without";
    EXPECT_EQ(main.focusWidget(), list()) << "the list takes the keyboard focus";
    QTest::mouseClick(control<QCheckBox>("spSkinCheckRadioBox1"), Qt::LeftButton);
    EXPECT_EQ(selectedRows(), (QList<int>{0, 1, 2, 3, 4, 5}));
}

TEST_F(MainFormTest, RefreshingTheRowsKeepsTheUsersPlace) {
    insertDisc({75, 75, 75, 75});
    TMainForm& main = open();
    main.Timer1Timer();
    clickRow(1);
    clickRow(2, Qt::ControlModifier);
    QTest::mouseClick(control<QRadioButton>("wavcheck"), Qt::LeftButton);
    EXPECT_EQ(names()[2], "Track-03.wav");
    EXPECT_EQ(selectedRows(), (QList<int>{1, 2}));
    EXPECT_EQ(main.currentRow(), 2);

    // The player starts from the first selected row, and steps from there.
    QTest::mouseClick(control<QToolButton>("playButton"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return main.mediaPlayer().position().track == 2; }));
    QTest::mouseClick(control<QRadioButton>("oggcheck"), Qt::LeftButton);
    QTest::mouseClick(control<QToolButton>("nextButton"), Qt::LeftButton);
    EXPECT_EQ(selectedRows(), (QList<int>{2}));
    ASSERT_TRUE(waitFor([&] { return main.mediaPlayer().position().track == 3; }));
    main.stopPlaying();
}

TEST_F(MainFormTest, PlayerFollowsTheRows) {
    insertDisc({75, 75, 75});
    TMainForm& main = open();
    main.Timer1Timer();
    list()->clearSelection();
    main.playTrack();  // no row selected: track 1
    ASSERT_TRUE(waitFor([&] { return main.mediaPlayer().mode() == CdMode::playing; }));
    EXPECT_EQ(main.mediaPlayer().position().track, 1);
    main.Timer1Timer();
    EXPECT_TRUE(status().startsWith("  Track:1  Playing Time:  00:0")) << status().toStdString();

    main.pauseOrResume();
    EXPECT_EQ(main.mediaPlayer().mode(), CdMode::paused);
    main.pauseOrResume();
    EXPECT_EQ(main.mediaPlayer().mode(), CdMode::playing);

    list()->topLevelItem(2)->setSelected(true);
    main.nextTrack();  // the last row wraps to the first
    EXPECT_TRUE(list()->topLevelItem(0)->isSelected());
    EXPECT_FALSE(list()->topLevelItem(2)->isSelected());
    ASSERT_TRUE(waitFor([&] { return main.mediaPlayer().position().track == 1; }));
    main.previousTrack();  // the first wraps to the last
    EXPECT_TRUE(list()->topLevelItem(2)->isSelected());
    ASSERT_TRUE(waitFor([&] { return main.mediaPlayer().position().track == 3; }));

    main.stopPlaying();
    sound->holdOutput(false);
    ASSERT_TRUE(waitFor([&] { return main.mediaPlayer().mode() == CdMode::stopped; }));
    main.ejectOrClose();
    EXPECT_EQ(main.mediaPlayer().mode(), CdMode::open);
    main.Timer1Timer();
    EXPECT_EQ(status(), "Please put a CD into the CDROM");
    main.ejectOrClose();
    EXPECT_EQ(main.mediaPlayer().trackCount(), 3);
}

TEST_F(MainFormTest, RipCommandNeedsACheckedRowAndGivesTheDriveBack) {
    insertDisc({75, 75});
    TMainForm& main = open();
    main.Timer1Timer();
    int shown = 0;
    QDialog rip;
    QObject::connect(&rip, &QDialog::finished, [&] {});
    main.registerWindow(WindowKey::ripPropressForm, &rip);
    QTimer::singleShot(0, [&] {
        ++shown;
        EXPECT_FALSE(main.mediaPlayer().isOpen()) << "the drive is free while ripping";
        EXPECT_FALSE(main.timer().isActive());
        rip.reject();
    });
    main.ripCommand();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(main.mediaPlayer().isOpen());
    EXPECT_TRUE(main.timer().isActive());

    main.unselectAll();  // nothing checked now
    main.ripCommand();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(main.mediaPlayer().isOpen());
}

// Two images as two drives: "a.cue" with two tracks, "b.cue" with three.
class DriveBoxTest : public MainFormTest {
  protected:
    void SetUp() override {
        MainFormTest::SetUp();
        writeCueImage(m_dir.path() / "discs", "a", {75, 75});
        writeCueImage(m_dir.path() / "discs", "b", {75, 75, 75}, 2);
    }
    static std::string imagePath(const std::string& name) {
        return (std::filesystem::current_path() / "discs" / name).string();
    }
    QComboBox* box() { return control<QComboBox>("spCDROMlist"); }
    // The user steps the drive box to the next drive with the keyboard.
    void chooseNextDrive() {
        box()->setFocus();
        QTest::keyClick(box(), Qt::Key_Down);
    }
    std::string rememberedDrive() {
        return TIniFile(form->settings().FileName()).ReadString("Drive", "path", "(none)");
    }
};

TEST_F(DriveBoxTest, ChoosingADriveListsPlaysAndRipsItsDisc) {
    TMainForm& main = open();
    main.Timer1Timer();
    ASSERT_EQ(box()->count(), 2);
    EXPECT_EQ(box()->itemText(0), "a.cue");
    EXPECT_EQ(box()->itemText(1), "b.cue");
    EXPECT_EQ(names(), (QStringList{"Track-01.mp3", "Track-02.mp3"}));
    EXPECT_EQ(main.mediaPlayer().driveLocation(), imagePath("a.cue"));

    chooseNextDrive();
    EXPECT_EQ(box()->currentIndex(), 1);
    EXPECT_EQ(names(), (QStringList{"Track-01.mp3", "Track-02.mp3", "Track-03.mp3"}));
    EXPECT_EQ(main.mediaPlayer().driveLocation(), imagePath("b.cue"));
    EXPECT_EQ(main.mediaPlayer().trackCount(), 3);
    EXPECT_EQ(rememberedDrive(), imagePath("b.cue"));
    // With no settings file in the start folder, the first save made one, and its folder, in
    // the configuration folder.
    EXPECT_EQ(main.settings().FileName(),
              (m_dir.path() / "config" / "quillon" / "settings.ini").string());
    EXPECT_FALSE(std::filesystem::exists("settings.ini"));
    main.Timer1Timer();
    EXPECT_EQ(status(), "  There are 3 tracks in the CD");

    list()->clearSelection();
    list()->topLevelItem(2)->setSelected(true);
    main.playTrack();
    ASSERT_TRUE(waitFor([&] { return main.mediaPlayer().mode() == CdMode::playing; }));
    EXPECT_EQ(main.mediaPlayer().position().track, 3);
    // The rip closes the player, which lets the sound card finish what it holds first.
    sound->holdOutput(false);

    // The rip job reads the chosen drive, and the player comes back to it afterwards.
    QDialog rip;
    main.registerWindow(WindowKey::ripPropressForm, &rip);
    int ripTracks = 0;
    QTimer::singleShot(0, [&] {
        ripTracks = main.disc().toc().lastTrack;
        rip.reject();
    });
    main.ripCommand();
    EXPECT_EQ(ripTracks, 3);
    EXPECT_EQ(main.mediaPlayer().driveLocation(), imagePath("b.cue"));

    box()->setFocus();
    QTest::keyClick(box(), Qt::Key_Up);
    EXPECT_EQ(names().size(), 2);
    EXPECT_EQ(main.mediaPlayer().trackCount(), 2);
    EXPECT_EQ(rememberedDrive(), imagePath("a.cue"));
}

// While the program runs, an image that sorts before the chosen one arrives and another goes:
// the list and the player stay on the drive the user chose.
TEST_F(DriveBoxTest, AnImageAddedWhileRunningMovesNoDrive) {
    TMainForm& main = open();
    main.Timer1Timer();
    chooseNextDrive();
    ASSERT_EQ(names().size(), 3);

    writeCueImage(m_dir.path() / "discs", "0-new", {75});
    std::filesystem::remove(m_dir.path() / "discs" / "a.cue");
    // The tray goes out and in: the list empties, the player loads its disc again, which lists
    // the drives afresh, and the next tick builds the list anew.
    main.ejectOrClose();
    main.Timer1Timer();
    ASSERT_EQ(list()->topLevelItemCount(), 0);
    main.ejectOrClose();
    main.Timer1Timer();
    EXPECT_EQ(names().size(), 3);
    EXPECT_EQ(main.disc().toc().lastTrack, 3);
    EXPECT_EQ(main.mediaPlayer().trackCount(), 3);
    EXPECT_EQ(main.mediaPlayer().driveLocation(), imagePath("b.cue"));
}

TEST_F(DriveBoxTest, TheChosenDriveIsRememberedAndAGoneOneGivesTheFirst) {
    const std::string settings = "[Drive]\npath=" + imagePath("b.cue") + "\n";
    writeBytes("settings.ini", {settings.begin(), settings.end()});
    TMainForm& main = open();
    EXPECT_EQ(box()->currentIndex(), 1);
    main.Timer1Timer();
    EXPECT_EQ(names().size(), 3);
    EXPECT_EQ(main.mediaPlayer().driveLocation(), imagePath("b.cue"));
    form.reset();

    const std::string gone = "[Drive]\npath=" + imagePath("gone.cue") + "\n";
    writeBytes("settings.ini", {gone.begin(), gone.end()});
    open().Timer1Timer();
    EXPECT_EQ(box()->currentIndex(), 0);
    EXPECT_EQ(names().size(), 2);
}

// Not a check: leaves a picture of the window beside the test program for a person to look at.
TEST_F(MainFormTest, RendersAPictureOfItself) {
    insertDisc({75 * 31, 75 * 22, 75 * 40});
    TMainForm& main = open();
    main.Timer1Timer();
    const QString folder = QCoreApplication::applicationDirPath() + "/screens";
    QDir().mkpath(folder);
    EXPECT_TRUE(main.grab().save(folder + "/TMainForm.png"));
}

TEST(ErrorReportTest, AddsAFullStopOnlyAfterOtherCharacters) {
    EXPECT_EQ(errorReportText("Component is buisy"), "Component is buisy.");
    EXPECT_EQ(errorReportText("File name is not assigned."), "File name is not assigned.");
    EXPECT_EQ(errorReportText("Disk full!"), "Disk full!");
    EXPECT_EQ(errorReportText("Ends in a blank "), "Ends in a blank ");
    EXPECT_EQ(errorReportText("Error 42"), "Error 42.");
}

}  // namespace
