#include "MessageBoxes.h"

#include <cstdlib>

#include "RipSettings.h"

void showMessage(QWidget* parent, const QString& text, const QString& title,
                 QMessageBox::Icon icon) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    // The texts are shown as they stand, blanks included; nothing in them is markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void settingsFailure(QWidget* parent, const std::function<void()>& end) {
    showMessage(parent, QString::fromLatin1(kSettingsFailure), QStringLiteral("Error"),
                QMessageBox::Critical);
    if (end) end();
}

void endProcess() {
    std::exit(1);
}
