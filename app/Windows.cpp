#include "Windows.h"

#include <QApplication>

#include "MainUnit.h"

std::unique_ptr<QWidget> makeSplash() {
    return nullptr;
}

std::vector<std::unique_ptr<QDialog>> createWindows(TMainForm&) {
    return {};
}
