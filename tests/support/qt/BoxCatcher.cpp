#include "BoxCatcher.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QScreen>
#include <QTest>

namespace {

// The box is noted before it is answered: answering ends it.
MessageBoxSeen answer(QMessageBox& box) {
    MessageBoxSeen seen{
        box.text(), box.windowTitle(), box.icon(), static_cast<int>(box.buttons().size()), {}};
    if (const QScreen* screen = box.screen())
        seen.offCentre = box.frameGeometry().center() - screen->availableGeometry().center();
    if (QAbstractButton* ok = box.button(QMessageBox::Ok))
        QTest::mouseClick(ok, Qt::LeftButton);
    else
        box.done(QMessageBox::Ok);
    return seen;
}

QMessageBox* boxUp() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    return box && box->isVisible() ? box : nullptr;
}

}  // namespace

MessageBoxSeen answerMessageBox() {
    QMessageBox* box = boxUp();
    if (!box) {
        ADD_FAILURE() << "no message box";
        return {};
    }
    return answer(*box);
}

BoxCatcher::BoxCatcher() {
    m_timer.setInterval(5);
    m_timer.callOnTimeout([this] {
        if (QMessageBox* box = boxUp()) boxes.push_back(answer(*box));
    });
    m_timer.start();
}

QStringList BoxCatcher::texts() const {
    QStringList result;
    for (const Box& box : boxes)
        result << box.text;
    return result;
}

QStringList BoxCatcher::titles() const {
    QStringList result;
    for (const Box& box : boxes)
        result << box.title;
    return result;
}
