#include "Windows.h"

#include "AboutUnit.h"
#include "BatchConverterUnit.h"
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
    // Each window has the main window as its Qt parent, which would delete it with itself;
    // the list returned here owns it instead and is destroyed first, so every window goes
    // while the main window still exists, and the parent never finds a child left to delete.
    auto add = [&](WindowKey key, std::unique_ptr<QDialog> window) {
        mainForm.registerWindow(key, window.get());
        windows.push_back(std::move(window));
    };
    // The order the windows are made in; the tool windows join it in their places.
    add(WindowKey::aboutForm,
        std::make_unique<TAboutForm>(&mainForm,
                                     QString::fromStdString(mainForm.settings().FileName())));
    add(WindowKey::options, std::make_unique<TOptions>(mainForm, &mainForm));
    add(WindowKey::rename, std::make_unique<Trename>(mainForm, &mainForm));
    add(WindowKey::cdMsgForm, std::make_unique<TCdMsgForm>(mainForm, &mainForm));
    add(WindowKey::mixer, std::make_unique<Tmixer>(&mainForm));
    add(WindowKey::ripPropressForm, std::make_unique<TRipPropressForm>(mainForm));
    add(WindowKey::recorder, std::make_unique<Trecorder>(&mainForm));
    add(WindowKey::oggPlayer, std::make_unique<Toggplayer>(&mainForm));
    add(WindowKey::wav2mp3, std::make_unique<Twav2mp3>(&mainForm));
    add(WindowKey::ogg2wav, std::make_unique<Togg2wav>(&mainForm));
    add(WindowKey::wav2ogg, std::make_unique<Twav2ogg>(&mainForm));
    add(WindowKey::ogg2mp3, std::make_unique<Togg2mp3>(&mainForm));
    add(WindowKey::id3EditorMain, std::make_unique<Tid3editormain>(&mainForm));
    add(WindowKey::batchConverter,
        std::make_unique<TBatchConverterForm>(&mainForm.settings(), &mainForm));
    return windows;
}
