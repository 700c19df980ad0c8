#include "Shell.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

namespace {

std::function<bool(const QUrl&)>& opener() {
    static std::function<bool(const QUrl&)> current;
    return current;
}

// Our dialogs are Qt's own rather than the desktop's, so that they look like the rest of the
// program and can be driven in tests.
void prepare(QFileDialog& dialog, const QString& filter, const QString& folder) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!filter.isEmpty()) dialog.setNameFilter(dialogFilter(filter));
    if (!folder.isEmpty()) dialog.setDirectory(folder);
}

}  // namespace

bool shellOpen(const QString& path) {
    if (path.isEmpty()) return false;
    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    if (opener()) return opener()(url);
    return QDesktopServices::openUrl(url);
}

void setShellOpener(std::function<bool(const QUrl&)> replacement) {
    opener() = std::move(replacement);
}

QString selectDirectory(QWidget* owner, const QString& title, const QString& folder) {
    QFileDialog dialog(owner, title);
    prepare(dialog, QString(), folder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString dialogFilter(const QString& barSeparated) {
    const QStringList parts = barSeparated.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

QString openFileDialog(QWidget* owner, const QString& barSeparatedFilter, const QString& title,
                       const QString& folder) {
    QFileDialog dialog(owner, title);
    prepare(dialog, barSeparatedFilter, folder);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString saveFileDialog(QWidget* owner, const QString& barSeparatedFilter,
                       const QString& defaultExtension, const QString& title,
                       const QString& folder) {
    QFileDialog dialog(owner, title);
    prepare(dialog, barSeparatedFilter, folder);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(defaultExtension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

bool makeWritable(const QString& path) {
    QFile file(path);
    if (!file.exists()) return false;
    return file.setPermissions(file.permissions() | QFileDevice::WriteOwner);
}
