#include "ToolWindowActions.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>
#include <exception>

#include "ACS_Classes.h"
#include "ErrorReport.h"
#include "Shell.h"

void setToolWindowFrame(QDialog& window) {
    window.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint);
}

void centreOnScreen(QDialog& window) {
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
}

void setRowGlyphs(QAbstractButton& openFile, QAbstractButton& openFolder) {
    openFile.setIcon(openFile.style()->standardIcon(QStyle::SP_FileIcon));
    openFolder.setIcon(openFolder.style()->standardIcon(QStyle::SP_DirOpenIcon));
}

QString folderPart(const QString& path) {
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

void openDocumentIn(const QLineEdit& box) {
    shellOpen(box.text());
}

void openFolderOf(const QLineEdit& box) {
    shellOpen(folderPart(box.text()));
}

void reportingErrors(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        showErrorReport(QString::fromStdString(error.what()));
    }
}

void showRunProgress(QObject* window, QProgressBar* gauge, std::function<void(bool)> setIdle,
                     TACSOutput* sender) {
    const int progress = sender->Progress();
    onWindowThread(window, [gauge, setIdle = std::move(setIdle), progress] {
        gauge->setValue(progress);
        setIdle(false);
    });
}

void showRunDone(QObject* window, std::function<void(bool)> setIdle, TACSOutput* sender) {
    // The error that ended the run, if any, is taken now, before a new run can clear it.
    const QString error = QString::fromStdString(sender->lastError());
    onWindowThread(window, [setIdle = std::move(setIdle), error] {
        setIdle(true);
        if (!error.isEmpty()) showErrorReport(error);
    });
}
