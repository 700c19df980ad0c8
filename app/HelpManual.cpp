#include "HelpManual.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

#include "Shell.h"

// doc/CMakeLists.txt defines where the pages lie relative to the executable: the installed
// layout follows the install directories chosen at configure time, the build tree has its own.
#if !defined(QUILLON_MANUAL_INSTALLED) || !defined(QUILLON_MANUAL_BUILT)
#error "the build defines where the manual lies"
#endif

namespace {

QString firstPage(const QString& executableFolder, const char* relativeFolder) {
    return QDir::cleanPath(executableFolder + QLatin1Char('/') + QLatin1String(relativeFolder) +
                           QStringLiteral("/index.html"));
}

void tell(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quillon"), text, QMessageBox::Ok, owner);
    box.exec();
}

}  // namespace

QString expectedManual(const QString& executableFolder) {
    return firstPage(executableFolder, QUILLON_MANUAL_INSTALLED);
}

QString findManual(const QString& executableFolder) {
    for (const QString& page :
         {expectedManual(executableFolder), firstPage(executableFolder, QUILLON_MANUAL_BUILT)})
        if (QFileInfo(page).isFile()) return page;
    return {};
}

void openManual(QWidget* owner, const QString& executableFolder) {
    const QString page = findManual(executableFolder);
    if (page.isEmpty()) {
        tell(owner, QStringLiteral("The user's manual is not installed. It belongs in\n%1")
                        .arg(QDir::toNativeSeparators(expectedManual(executableFolder))));
        return;
    }
    if (!shellOpen(page))
        tell(owner, QStringLiteral("The desktop could not open the user's manual. Open it in a web "
                                   "browser:\n%1")
                        .arg(QDir::toNativeSeparators(page)));
}
