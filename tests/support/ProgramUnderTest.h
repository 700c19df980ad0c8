// The program as start-up makes it: the main window and every other window, in a folder of
// its own where a demo disc image stands in for a CD drive, with in-memory sound devices and
// CDDB and MusicBrainz server addresses that meet a closed port instead of the network. Header
// only: the support library sits below the windows.
#pragma once

#include <QDialog>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "DiscImages.h"
#include "DriveList.h"
#include "MainUnit.h"
#include "MemoryWaveDevices.h"
#include "TestFiles.h"
#include "Windows.h"

struct ProgramUnderTest {
    TempDir dir;
    std::filesystem::path previous = std::filesystem::current_path();
    std::unique_ptr<TMainForm> main;
    std::vector<std::unique_ptr<QDialog>> windows;

    ProgramUnderTest() {
        std::filesystem::current_path(dir.path());
        std::filesystem::create_directory("discs");
        writeCueImage(dir.path() / "discs", "demo", {75 * 31, 75 * 22, 75 * 40});
        const std::string settings =
            "[CDDB]\nserver=127.0.0.1:9\n[MusicBrainz]\nserver=http://127.0.0.1:9\n"
            "coverart=http://127.0.0.1:9\n";
        writeBytes("settings.ini", {settings.begin(), settings.end()});
        quillon::cdrom::setDiscFolder({});
        installWaveService(std::make_unique<MemoryWaveService>(
            std::vector<MemoryWaveService::Device>{{"Speakers"}},
            std::vector<MemoryWaveService::Device>{{"Microphone"}}));
        main = std::make_unique<TMainForm>();
        windows = createWindows(*main);
        main->Timer1Timer();
    }
    ~ProgramUnderTest() {
        windows.clear();
        main.reset();
        std::filesystem::current_path(previous);
    }
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;
};
