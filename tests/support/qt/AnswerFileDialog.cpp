#include "AnswerFileDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

std::shared_ptr<FileDialogSeen> answerFileDialog(const QString& path, bool accept) {
    auto seen = std::make_shared<FileDialogSeen>();
    QTimer::singleShot(0, [seen, path, accept] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "no file dialog came up";
        seen->shown = true;
        seen->title = dialog->windowTitle();
        seen->filters = dialog->nameFilters();
        seen->defaultSuffix = dialog->defaultSuffix();
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        if (!edit || !buttons) {
            dialog->reject();
            FAIL() << "the file dialog has changed its make-up";
        }
        QString name = path;
        if (path.contains(QLatin1Char('/'))) {
            const QFileInfo target(path);
            dialog->setDirectory(target.absolutePath());
            name = target.fileName();
        }
        edit->clear();
        QTest::keyClicks(edit, name);
        QPushButton* button = accept ? (buttons->button(QDialogButtonBox::Save)
                                            ? buttons->button(QDialogButtonBox::Save)
                                            : buttons->button(QDialogButtonBox::Open))
                                     : buttons->button(QDialogButtonBox::Cancel);
        if (!button) {
            dialog->reject();
            FAIL() << "no button to click";
        }
        QTest::mouseClick(button, Qt::LeftButton);
        if (dialog->isVisible()) {
            dialog->reject();
            ADD_FAILURE() << "the file dialog did not take " << path.toStdString();
        }
    });
    return seen;
}
