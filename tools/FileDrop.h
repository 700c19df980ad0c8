// Reading what a drag from a file manager carries: the local files and folders it names, and
// whether a file's name fits a dialog filter, so that the windows take dropped files by the
// same rules as files chosen in their dialogs.
#pragma once

#include <QString>
#include <QStringList>

class QMimeData;

// The local paths the drag names, in its order; empty when it names anything that is not a
// local file or folder (a web address, plain text), so that a drop is taken whole or refused.
QStringList droppedLocalPaths(const QMimeData* data);

// Whether the file's name fits one of the patterns of a bar-separated dialog filter
// ("description|*.wav;*.wave"); by default ignoring case, as people name their files either
// way.
bool fitsFilter(const QString& path, const QString& barSeparatedFilter,
                Qt::CaseSensitivity caseSensitivity = Qt::CaseInsensitive);

// The files directly in folder that fit the filter, sorted by name.
QStringList filesFitting(const QString& folder, const QString& barSeparatedFilter);
