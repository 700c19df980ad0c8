// The plain message boxes the small windows show: one OK button, shown modally over the
// window that reports.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

// What message boxes are titled when nothing else is said: the application title.
inline constexpr const char* kMessageTitle = "Quillon";

// Shows text in a box with one OK button and returns once the user has closed it.
void showMessage(QWidget* parent, const QString& text,
                 const QString& title = QString::fromLatin1(kMessageTitle),
                 QMessageBox::Icon icon = QMessageBox::NoIcon);

// The settings file cannot be written: says so in the box "Settings.ini not exist!  " titled
// "Error" with an error icon, then calls end, which ends the process.
void settingsFailure(QWidget* parent, const std::function<void()>& end);

// The process's end after a settings failure: exit code 1.
void endProcess();
