#include "FileDrop.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>

namespace {

QStringList filterPatterns(const QString& barSeparatedFilter) {
    const QStringList parts = barSeparatedFilter.split(QLatin1Char('|'));
    QStringList patterns;
    // Every second part is a pattern list; the parts before them describe them.
    for (qsizetype index = 1; index < parts.size(); index += 2)
        for (const QString& pattern : parts[index].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            patterns << pattern.trimmed();
    return patterns;
}

}  // namespace

QStringList droppedLocalPaths(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) return {};
        const QString path = url.toLocalFile();
        if (path.isEmpty()) return {};
        paths << path;
    }
    return paths;
}

bool fitsFilter(const QString& path, const QString& barSeparatedFilter,
                Qt::CaseSensitivity caseSensitivity) {
    const QString name = QFileInfo(path).fileName();
    for (const QString& pattern : filterPatterns(barSeparatedFilter)) {
        const QRegularExpression wildcard(QRegularExpression::wildcardToRegularExpression(pattern),
                                          caseSensitivity == Qt::CaseInsensitive
                                              ? QRegularExpression::CaseInsensitiveOption
                                              : QRegularExpression::NoPatternOption);
        if (wildcard.match(name).hasMatch()) return true;
    }
    return false;
}

QStringList filesFitting(const QString& folder, const QString& barSeparatedFilter) {
    QStringList fitting;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
        if (fitsFilter(name, barSeparatedFilter)) fitting << dir.filePath(name);
    return fitting;
}
