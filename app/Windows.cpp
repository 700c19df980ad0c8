#include "Windows.h"

#include <QApplication>

#include "MainUnit.h"
#include "RipPropressForm.h"

std::unique_ptr<QWidget> makeSplash() {
    return nullptr;
}

std::vector<std::unique_ptr<QDialog>> createWindows(TMainForm& mainForm) {
    std::vector<std::unique_ptr<QDialog>> windows;
    auto add = [&](const char* className, std::unique_ptr<QDialog> window) {
        mainForm.registerWindow(QString::fromLatin1(className), window.get());
        windows.push_back(std::move(window));
    };
    add("TRipPropressForm", std::make_unique<TRipPropressForm>(mainForm));
    return windows;
}
