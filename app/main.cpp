// Quillon: start-up. The splash shows while every window is made once, in a fixed order;
// then the main window runs until it closes.
#include <cstdlib>

#include "ErrorReport.h"
#include "MainUnit.h"
#include "MessageBoxes.h"
#include "Windows.h"

int main(int argc, char** argv) {
    QuillonApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillon"));
    auto splash = makeSplash();
    auto mainForm = std::make_unique<TMainForm>();
    if (!mainForm->settingsUsable()) {
        settingsFailure(nullptr, [] { std::exit(1); });
        return 1;
    }
    const auto windows = createWindows(*mainForm);
    splash.reset();
    mainForm->show();
    return application.exec();
}
