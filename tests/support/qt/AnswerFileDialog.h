// Answering a file dialog as a user does: going to a folder, typing a name, clicking a button.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// What a file dialog showed and whether it came up at all; filled in once it has been answered.
struct FileDialogSeen {
    bool shown = false;
    QString title;
    QStringList filters;
    QString defaultSuffix;
};

// Once the next file dialog is up, types the file's name into its name box and clicks the
// accept button (Save, else Open), or with accept false the cancel button. A path with a
// folder in it first takes the dialog to that folder; a bare name is typed into the folder the
// dialog shows. The button is clicked rather than Return typed, which would go to the
// completer's list. A dialog that is not there, has changed its make-up or does not take the
// answer is a test failure.
std::shared_ptr<FileDialogSeen> answerFileDialog(const QString& path, bool accept = true);
