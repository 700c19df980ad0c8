// What the tool windows share: their frame, the shell actions of their file
// rows, the report of errors raised when a run starts, and handing a sink's reports over to
// the window's own thread.
#pragma once

#include <QString>
#include <functional>

#include "WindowThread.h"

class QAbstractButton;
class QDialog;
class QLineEdit;
class QObject;
class QProgressBar;
class TACSOutput;

// A fixed-size dialog frame with only a close box.
void setToolWindowFrame(QDialog& window);
// Puts the window in the middle of its screen.
void centreOnScreen(QDialog& window);
// The glyphs of a row's "Open the file" and "Open the folder" buttons.
void setRowGlyphs(QAbstractButton& openFile, QAbstractButton& openFolder);

// Everything up to and including the last "/" of path; empty when there is none.
QString folderPart(const QString& path);
// Opens the document named in the box with its program. The outcome is not reported.
void openDocumentIn(const QLineEdit& box);
// Opens the folder of the document named in the box. The outcome is not reported.
void openFolderOf(const QLineEdit& box);

// Runs a handler that may raise an error (a run that cannot start) and hands the error to
// the general error report. Widgets are built without exceptions, so an error must not
// unwind through the signal that called the handler.
void reportingErrors(const std::function<void()>& handler);

// A player's or recorder's handling of its sink's reports, called on the sink's worker: a
// progress report moves the gauge and marks the window busy; the end marks it idle and reports
// the error that ended the run, if any. setIdle runs on the window's thread.
void showRunProgress(QObject* window, QProgressBar* gauge, std::function<void(bool)> setIdle,
                     TACSOutput* sender);
void showRunDone(QObject* window, std::function<void(bool)> setIdle, TACSOutput* sender);
