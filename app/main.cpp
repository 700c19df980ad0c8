// Quillon: start-up. The splash shows while every window is made once, in a fixed order;
// then the main window runs until it closes.
#include <cstdlib>
#include <iostream>
#include <string_view>

#include "ErrorReport.h"
#include "MainUnit.h"
#include "MessageBoxes.h"
#include "UserPaths.h"
#include "Windows.h"

namespace {

// --version and --help are answered before Qt is started, so that they work where there is
// no display (over ssh, in a package's scripts). -1: start the program.
int answerCommandLine(int argc, char** argv) {
    if (argc < 2) return -1;
    const std::string_view word = argv[1];
    if (word == "--version") {
        std::cout << "Quillon " QUILLON_VERSION "\n"
                  << "settings file: " << quillon::paths::settingsFile().string() << "\n"
                  << "disc folder: " << quillon::paths::discFolder().string() << "\n";
        return 0;
    }
    if (word == "--help" || word == "-h") {
        std::cout << "Usage: quillon [--version | --help]\n"
                     "Starts Quillon's main window. The command line's own tools are in "
                     "quillon-cli.\n";
        return 0;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int answered = answerCommandLine(argc, argv); answered >= 0) return answered;
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
