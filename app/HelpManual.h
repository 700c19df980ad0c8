// The user's manual: HTML pages shipped with the program and found from the folder its
// executable is in (an installation puts them under share/doc/quillon/manual beside bin; the
// build tree keeps a copy laid out the same way), opened in the desktop's browser from Help.
#pragma once

#include <QString>

class QWidget;

// The manual's first page where it belongs for the program in executableFolder (an
// installation's place), whether or not it is there.
QString expectedManual(const QString& executableFolder);

// The manual's first page for the program in executableFolder, or empty when it is missing.
QString findManual(const QString& executableFolder);

// Opens the manual through the desktop. When it is missing or the desktop will not open it,
// a message box over owner says so and where the pages are.
void openManual(QWidget* owner, const QString& executableFolder);
