#include "Windows.h"

#include "AboutUnit.h"
#include "CdMsgUnit.h"
#include "MainUnit.h"
#include "OpiontsUnit.h"
#include "RenameUnit.h"
#include "RipPropressForm.h"
#include "id3editor.h"
#include "mixerUnit.h"
#include "ogg2mp3Unit.h"
#include "ogg2wavUnit.h"
#include "oggplayerUnit.h"
#include "p_flash.h"
#include "recorderUnit.h"
#include "wav2mp3Unit.h"
#include "wav2oggUnit.h"

std::unique_ptr<QWidget> makeSplash() {
    auto flash = std::make_unique<Tflash>();
    flash->showAndPaint();
    return flash;
}

std::vector<std::unique_ptr<QDialog>> createWindows(TMainForm& mainForm) {
    std::vector<std::unique_ptr<QDialog>> windows;
    auto add = [&](const char* className, std::unique_ptr<QDialog> window) {
        mainForm.registerWindow(QString::fromLatin1(className), window.get());
        windows.push_back(std::move(window));
    };
    // The order the windows are made in; the tool windows join it in their places.
    add("TAboutForm", std::make_unique<TAboutForm>(&mainForm));
    add("TOptions", std::make_unique<TOptions>(mainForm, &mainForm));
    add("Trename", std::make_unique<Trename>(mainForm, &mainForm));
    add("TCdMsgForm", std::make_unique<TCdMsgForm>(mainForm, &mainForm));
    add("Tmixer", std::make_unique<Tmixer>(&mainForm));
    add("TRipPropressForm", std::make_unique<TRipPropressForm>(mainForm));
    add("Trecorder", std::make_unique<Trecorder>(&mainForm));
    add("Toggplayer", std::make_unique<Toggplayer>(&mainForm));
    add("Twav2mp3", std::make_unique<Twav2mp3>(&mainForm));
    add("Togg2wav", std::make_unique<Togg2wav>(&mainForm));
    add("Twav2ogg", std::make_unique<Twav2ogg>(&mainForm));
    add("Togg2mp3", std::make_unique<Togg2mp3>(&mainForm));
    add("Tid3editormain", std::make_unique<Tid3editormain>(&mainForm));
    return windows;
}
