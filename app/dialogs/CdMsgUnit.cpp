#include "CdMsgUnit.h"

#include <QLabel>
#include <QShowEvent>
#include <QTreeWidget>

#include "CddbLookup.h"
#include "MainUnit.h"
#include "MessageBoxes.h"
#include "ui_CdMsgUnit.h"

TCdMsgForm::TCdMsgForm(TMainForm& mainForm, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TCdMsgForm>()), m_main(mainForm) {
    ui->setupUi(this);
    // A fixed frame with a caption only: the window is left with "Close".
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    connect(ui->closebutton, &QPushButton::clicked, this, &TCdMsgForm::closebuttonClick);
}

TCdMsgForm::~TCdMsgForm() = default;

void TCdMsgForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Restoring the window from the desktop is no new showing and asks the server nothing.
    if (!event->spontaneous()) FormActivate();
}

void TCdMsgForm::FormActivate() {
    // The network is asked on this thread: each status is painted at once, or the user would
    // see none of them before the lookup is over.
    auto* statusLine = m_main.findChild<QLabel*>(QStringLiteral("spSLMsgOut"));
    const CddbLookupResult result = cddbLookup(
        m_main.disc(), m_main.tracks(), m_main.outputFormat(), readCddbSettings(m_main.settings()),
        [this, statusLine](const std::string& text) {
            m_main.setStatus(QString::fromStdString(text));
            if (statusLine && statusLine->isVisible()) statusLine->repaint();
        });
    if (result.info) {
        ui->edDiscID->setText(QString::fromStdString(result.info->id));
        ui->edArtist->setText(QString::fromStdString(result.info->artist));
        ui->edTitle->setText(QString::fromStdString(result.info->title));
        ui->edCategory->setText(QString::fromStdString(result.info->type));
    }
    if (result.outcome == CddbLookupResult::Outcome::named && result.info)
        m_main.setDiscNames(QString::fromStdString(result.info->artist),
                            QString::fromStdString(result.info->title));
    // The lookup rebuilt the rows whatever its outcome.
    m_main.showRows();
    // After an answer from the server, found or not, the first row is the current one.
    const bool answered = result.outcome == CddbLookupResult::Outcome::named ||
                          result.outcome == CddbLookupResult::Outcome::noMatch;
    auto* list = m_main.findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    if (answered && list && list->topLevelItemCount() > 0) {
        list->setCurrentItem(list->topLevelItem(0));
        list->setFocus();
    }
    if (!result.message.empty()) showMessage(this, QString::fromStdString(result.message));
}

void TCdMsgForm::closebuttonClick() {
    accept();
}
