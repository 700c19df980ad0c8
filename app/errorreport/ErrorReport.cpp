#include "ErrorReport.h"

#include <QMessageBox>
#include <exception>

QString errorReportText(const QString& message) {
    if (message.isEmpty() || message.back() > QLatin1Char('.')) return message + QLatin1Char('.');
    return message;
}

void showErrorReport(const QString& message) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Quillon"), errorReportText(message),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool QuillonApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showErrorReport(QString::fromUtf8(error.what()));
    } catch (...) {
        showErrorReport(QStringLiteral("Unknown error"));
    }
    return false;
}
