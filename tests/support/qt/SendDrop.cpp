#include "SendDrop.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

DropAnswer sendDrop(QWidget* window, const QList<QUrl>& urls, QPoint pos) {
    if (pos.isNull()) pos = window->rect().center();
    QMimeData data;
    data.setUrls(urls);
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    DropAnswer answer;

    QDragEnterEvent enter(pos, actions, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(window, &enter);
    answer.entered = enter.isAccepted();
    if (!answer.entered) return answer;

    // A taken drag is followed at once by a move, where the window may still refuse the spot.
    QDragMoveEvent move(pos, actions, &data, Qt::LeftButton, Qt::NoModifier);
    move.setAccepted(true);
    QApplication::sendEvent(window, &move);
    if (!move.isAccepted()) {
        answer.entered = false;
        return answer;
    }

    QDropEvent drop(pos, actions, &data, Qt::LeftButton, Qt::NoModifier);
    drop.setAccepted(false);
    QApplication::sendEvent(window, &drop);
    answer.dropped = drop.isAccepted();
    return answer;
}

DropAnswer sendFileDrop(QWidget* window, const QStringList& paths, QPoint pos) {
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    return sendDrop(window, urls, pos);
}
