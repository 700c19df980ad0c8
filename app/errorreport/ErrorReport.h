// The general error report: errors no window catches end up in one message box, and the
// program goes on.
#pragma once

#include <QApplication>
#include <QString>

// The text as the box shows it: a full stop is added unless the text already ends in a
// character that sorts at or below one.
QString errorReportText(const QString& message);
void showErrorReport(const QString& message);

// Catches what an event handler throws and reports it instead of ending the program.
class QuillonApplication : public QApplication {
  public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};
