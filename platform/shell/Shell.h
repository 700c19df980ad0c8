// The desktop's services for the windows: opening a document or folder with the user's
// program, the folder chooser and the open and save dialogs, and file attributes.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

// Opens a file or folder with the program the desktop associates with it. The answer says
// whether the desktop took the request; callers that report nothing may ignore it.
bool shellOpen(const QString& path);
// Tests put their own opener in place of the desktop's; an empty function restores it.
void setShellOpener(std::function<bool(const QUrl&)> opener);

// The folder chooser: a folder path, or empty when the user cancelled. The dialogs start in
// folder when one is given.
QString selectDirectory(QWidget* owner, const QString& title = QStringLiteral("Select a directory"),
                        const QString& folder = QString());

// A filter written as pairs of description and patterns separated by bars
// ("*.wav|*.wav|All files|*.*") in the form the dialogs take.
QString dialogFilter(const QString& barSeparated);

// The open-file dialog: the chosen file, or empty.
QString openFileDialog(QWidget* owner, const QString& barSeparatedFilter,
                       const QString& title = QString(), const QString& folder = QString());
// The save-file dialog: the chosen file with the default extension added when the user typed
// none, or empty. Choosing an existing file is not questioned.
QString saveFileDialog(QWidget* owner, const QString& barSeparatedFilter,
                       const QString& defaultExtension, const QString& title = QString(),
                       const QString& folder = QString());

// Lets the owner write the file (the desktop's "read-only" attribute cleared). False when
// the file is missing or its permissions cannot be changed.
bool makeWritable(const QString& path);
