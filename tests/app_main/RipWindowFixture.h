// The rip window's tests: a main window on a disc image of two tracks, with the rip window
// registered, in a folder of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>

#include "DiscImages.h"
#include "DriveList.h"
#include "MainUnit.h"
#include "MemoryWaveDevices.h"
#include "RipPropressForm.h"
#include "TestFiles.h"

class RipWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_dir.path());
        quillon::cdrom::setDiscFolder({});
        installWaveService(std::make_unique<MemoryWaveService>(
            std::vector<MemoryWaveService::Device>{{"Speakers"}},
            std::vector<MemoryWaveService::Device>{}));
        std::filesystem::create_directory("discs");
        image = writeCueImage(m_dir.path() / "discs", "demo", {150, 75 * 20});
        writeBytes("settings.ini", toBytes("[Folder]\nwav folder=out\nmp3 folder=out\n"
                                           "Ogg folder=out\nopen=False\n"
                                           // no test asks the real AccurateRip database
                                           "[AccurateRip]\nserver=127.0.0.1:1\n"
                                           // one track read, then encoded, at a time
                                           "[Rip]\njobs=1\n"));
        std::filesystem::create_directory("out");
        main = std::make_unique<TMainForm>();
        rip = std::make_unique<TRipPropressForm>(*main);
        main->registerWindow(WindowKey::ripPropressForm, rip.get());
        main->show();
        main->Timer1Timer();
    }
    void TearDown() override {
        rip.reset();
        main.reset();
        std::filesystem::current_path(m_previous);
    }
    static std::vector<uint8_t> toBytes(const std::string& text) {
        return {text.begin(), text.end()};
    }

    // Runs the rip command; `whileShown` is called on every turn of the event loop while the
    // rip window is up, until it returns true.
    void ripWith(std::function<bool()> whileShown) {
        auto* poll = new QTimer(rip.get());
        QObject::connect(poll, &QTimer::timeout, [poll, whileShown] {
            if (whileShown()) poll->stop();
        });
        poll->start(0);
        main->ripCommand();
        delete poll;
    }
    QPushButton* button() { return rip->findChild<QPushButton*>("spSkinButtonStop"); }
    // Clicks Close once the job is over.
    bool closeWhenFinished() {
        if (rip->windowTitle() != "Finished!" || button()->text() != "Close") return false;
        QTest::mouseClick(button(), Qt::LeftButton);
        return true;
    }

    TempDir m_dir;
    std::filesystem::path m_previous;
    DiscImage image;
    std::unique_ptr<TMainForm> main;
    std::unique_ptr<TRipPropressForm> rip;
};
