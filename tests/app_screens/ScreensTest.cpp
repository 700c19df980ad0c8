// Start-up makes every window once and in order, each one opens from the main window, and a
// picture of each is left in the `screens` folder beside this program for a person to look at.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <filesystem>

#include "DiscImages.h"
#include "DriveList.h"
#include "MainUnit.h"
#include "MemoryWaveDevices.h"
#include "QtTestMain.h"
#include "TestFiles.h"
#include "Windows.h"

namespace {

TEST(ScreensTest, EveryWindowIsMadeOnceAndPictured) {
    TempDir dir;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    std::filesystem::create_directory("discs");
    writeCueImage(dir.path() / "discs", "demo", {75 * 31, 75 * 22, 75 * 40});
    // The lookup of the CD information window meets a closed port, not the network.
    const std::string settings = "[CDDB]\nserver=127.0.0.1:9\n";
    writeBytes("settings.ini", {settings.begin(), settings.end()});
    quillon::cdrom::setDiscFolder({});
    installWaveService(std::make_unique<MemoryWaveService>(
        std::vector<MemoryWaveService::Device>{{"Speakers"}},
        std::vector<MemoryWaveService::Device>{{"Microphone"}}));
    {
        const QString folder = QCoreApplication::applicationDirPath() + "/screens";
        QDir().mkpath(folder);
        TMainForm main;
        const auto windows = createWindows(main);
        main.show();
        main.Timer1Timer();
        EXPECT_TRUE(main.grab().save(folder + "/TMainForm.png"));

        const QStringList order = {"TAboutForm",    "TOptions",         "Trename",   "TCdMsgForm",
                                   "Tmixer",        "TRipPropressForm", "Trecorder", "Toggplayer",
                                   "Twav2mp3",      "Togg2wav",         "Twav2ogg",  "Togg2mp3",
                                   "Tid3editormain"};
        for (const QString& name : order) {
            QDialog* window = main.window(name);
            ASSERT_NE(window, nullptr) << name.toStdString();
            // Showing the rip window would start a rip; its picture does without.
            if (name != "TRipPropressForm") window->show();
            QCoreApplication::processEvents();
            EXPECT_TRUE(window->grab().save(folder + "/" + name + ".png")) << name.toStdString();
            window->hide();
        }
        EXPECT_EQ(windows.size(), static_cast<size_t>(order.size()));
    }
    std::filesystem::current_path(previous);
}

}  // namespace

QUILLON_QT_TEST_MAIN
