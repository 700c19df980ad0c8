// Start-up makes every window once and in order, each one opens from the main window, and a
// picture of each is left in the `screens` folder beside this program for a person to look at.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "MainUnit.h"
#include "ProgramUnderTest.h"
#include "RipPropressForm.h"

namespace {

// A window as a person would see it: shown, its pending work (the skin's included) done, then
// pictured.
void picture(QWidget& window, const QString& file) {
    window.show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.grab().save(file)) << file.toStdString();
}

// What a secure rip of a slightly scratched disc might find.
RipReport sampleRipReport() {
    using Status = quillon::accuraterip::TrackVerdict::Status;
    RipReport report;
    const int confidences[] = {12, 12, 11, 0, 12};
    for (int n = 1; n <= 5; ++n) {
        TrackRipReport track;
        track.number = n;
        track.secure = true;
        track.verdict = {Status::accurate, confidences[n - 1], 2};
        report.tracks.push_back(track);
    }
    report.tracks[3].verdict = {Status::mismatch, 0, 0};
    report.tracks[3].unsettledPositions = {"03:12.40", "03:12.41"};
    return report;
}

TEST(ScreensTest, EveryWindowIsMadeOnceAndPictured) {
    ProgramUnderTest program;
    TMainForm& main = *program.main;
    const auto& windows = program.windows;
    const auto& dir = program.dir;
    {
        const QString folder = QCoreApplication::applicationDirPath() + "/screens";
        QDir().mkpath(folder);
        picture(main, folder + "/TMainForm.png");

        for (const WindowKey key : kWindowKeys) {
            const QString name = QString::fromLatin1(windowClassName(key));
            QDialog* window = main.window(key);
            ASSERT_NE(window, nullptr) << name.toStdString();
            // The rip window starts a rip when shown; with no row checked it has nothing to do.
            if (name == "TRipPropressForm")
                for (std::size_t row = 0; row < main.tracks().size(); ++row)
                    main.tracks().row(row).checked = false;
            picture(*window, folder + "/" + name + ".png");
            // The rip window as a rip leaves it, with each track's result.
            if (name == "TRipPropressForm") {
                auto* rip = qobject_cast<TRipPropressForm*>(window);
                ASSERT_NE(rip, nullptr);
                rip->observer().ripReported(sampleRipReport());
                picture(*window, folder + "/" + name + ".png");
            }
            // The about window names the settings file the program reads.
            if (name == "TAboutForm") {
                const auto* settings = window->findChild<QLabel*>("SettingsFile");
                ASSERT_NE(settings, nullptr);
                EXPECT_EQ(settings->text().toStdString(),
                          "Settings: " + (dir.path() / "settings.ini").string());
            }
            // Every page of the options window.
            if (auto* pages = window->findChild<QTabWidget*>(); pages && name == "TOptions") {
                for (int page = 1; page < pages->count(); ++page) {
                    pages->setCurrentIndex(page);
                    picture(*window, folder + QString("/TOptions-%1.png").arg(page + 1));
                }
                pages->setCurrentIndex(0);
            }
            window->hide();
        }

        // The windows that are not the program's own are drawn from the same skin.
        QMessageBox box(QMessageBox::Information, "Quillon", "There are 3 tracks in the CD",
                        QMessageBox::Ok | QMessageBox::Cancel, &main);
        picture(box, folder + "/MessageBox.png");
        box.hide();
        QFileDialog files(&main, "Open", QString::fromStdString(dir.path().string()),
                          "Wave files (*.wav)");
        files.setOption(QFileDialog::DontUseNativeDialog);
        files.resize(640, 420);
        picture(files, folder + "/FileDialog.png");
        files.hide();
        EXPECT_EQ(windows.size(), kWindowKeys.size());
    }
}

// The window joined later than the design's: its Tools menu item and its tool button.
TEST(ScreensTest, TheBatchConverterOpensFromTheToolsMenuAndItsButton) {
    ProgramUnderTest program;
    TMainForm& main = *program.main;
    main.show();
    QDialog* batch = main.window(WindowKey::batchConverter);
    ASSERT_NE(batch, nullptr);
    int opened = 0;
    // The window opens modally; once it is up, it is noted and closed again.
    const auto closeWhenUp = [&] {
        QTimer::singleShot(0, batch, [&] {
            opened += batch->isVisible();
            batch->close();
        });
    };
    closeWhenUp();
    QTest::mouseClick(main.findChild<QPushButton*>("batchButton"), Qt::LeftButton);
    EXPECT_EQ(opened, 1);
    auto* item = main.findChild<QAction*>("BatchConverter1");
    ASSERT_NE(item, nullptr);
    auto* tools = main.findChild<QMenu*>("menuTools");
    ASSERT_NE(tools, nullptr);
    EXPECT_TRUE(tools->actions().contains(item));
    closeWhenUp();
    item->trigger();
    EXPECT_EQ(opened, 2);
}

}  // namespace
