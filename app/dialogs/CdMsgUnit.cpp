#include "CdMsgUnit.h"

#include <QLabel>
#include <QShowEvent>
#include <QTreeWidget>

#include "CddbLookup.h"
#include "DiscId.h"
#include "DiscToc.h"
#include "MainUnit.h"
#include "MessageBoxes.h"
#include "MetadataResolver.h"
#include "NamingTemplate.h"
#include "ReleaseChooser.h"
#include "RipUtility.h"
#include "ui_CdMsgUnit.h"

TCdMsgForm::TCdMsgForm(TMainForm& mainForm, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TCdMsgForm>()), m_main(mainForm) {
    ui->setupUi(this);
    // A fixed frame with a caption only: the window is left with "Close".
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    connect(ui->closebutton, &QPushButton::clicked, this, &TCdMsgForm::closebuttonClick);
    // Which source named the disc, below the values it named.
    auto* sourceLabel = new QLabel(QStringLiteral("Source"), this);
    sourceLabel->setObjectName(QStringLiteral("edSourceLabel"));
    m_source = new QLabel(this);
    m_source->setObjectName(QStringLiteral("edSource"));
    m_source->setMinimumSize(ui->edCategory->minimumSize());
    m_source->setFrameShape(ui->edCategory->frameShape());
    m_source->setFrameShadow(ui->edCategory->frameShadow());
    m_source->setTextFormat(Qt::PlainText);
    const int row = ui->valuelayout->rowCount();
    ui->valuelayout->addWidget(sourceLabel, row, 0);
    ui->valuelayout->addWidget(m_source, row, 1);
}

TCdMsgForm::~TCdMsgForm() = default;

void TCdMsgForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Restoring the window from the desktop is no new showing and asks the server nothing.
    if (!event->spontaneous()) FormActivate();
}

void TCdMsgForm::FormActivate() {
    const MetadataSettings settings = readMetadataSettings(m_main.settings());
    for (const DiscMetadata::Source source : settings.sources) {
        // CDDB as the window always asked it, unless the names are to fill a template.
        if (source == DiscMetadata::Source::cddb &&
            readNamingTemplate(m_main.settings()) == kDefaultNamingTemplate) {
            cddbActivate();
            return;
        }
        if (lookUpIn(source, settings)) return;
    }
    if (m_main.disc().handle() == 0) return;  // the status says why
    showStatus("No names found for the disc");
    ui->edDiscID->setText(QString::fromStdString(localDiscIdText(m_main.disc().toc())));
    ui->edArtist->setText(QStringLiteral("Unknown Artist"));
    ui->edTitle->setText(QStringLiteral("Unknown Title"));
    ui->edCategory->setText(QStringLiteral("Unknown Type"));
    m_source->clear();
}

void TCdMsgForm::showStatus(const std::string& text) {
    // The network is asked on this thread: each status is painted at once, or the user would
    // see none of them before the lookup is over.
    m_main.setStatus(QString::fromStdString(text));
    auto* statusLine = m_main.findChild<QLabel*>(QStringLiteral("spSLMsgOut"));
    if (statusLine && statusLine->isVisible()) statusLine->repaint();
}

void TCdMsgForm::selectFirstRow() {
    auto* list = m_main.findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    if (list && list->topLevelItemCount() > 0) {
        list->setCurrentItem(list->topLevelItem(0));
        list->setFocus();
    }
}

bool TCdMsgForm::lookUpIn(DiscMetadata::Source source, const MetadataSettings& settings) {
    // Each lookup starts from the disc's own rows, as the CDDB lookup does.
    if (const std::string failure =
            buildTrackList(m_main.disc(), m_main.tracks(), m_main.outputFormat());
        !failure.empty()) {
        showStatus(failure);
        m_main.setDiscNames({}, {});
        m_main.showRows();
        return true;
    }
    // New rows: the names of the last lookup no longer hold.
    m_main.setDiscNames({}, {});
    m_main.showRows();
    showStatus(std::string("Looking the disc up in ") + sourceName(source) + "......");
    MetadataSettings one = settings;
    one.sources = {source};
    const CdToc& toc = m_main.disc().toc();
    MetadataResult result = resolveMetadata({m_main.disc().handle(), &toc, ""}, one);
    DiscMetadata names;
    switch (result.outcome) {
        case MetadataResult::Outcome::notFound:
            return false;
        case MetadataResult::Outcome::named:
            names = std::move(result.metadata);
            break;
        case MetadataResult::Outcome::choose: {
            TReleaseChooser chooser(result.choices, this);
            if (chooser.exec() != QDialog::Accepted || chooser.chosen() < 0) {
                showStatus("No release chosen");
                return true;
            }
            names = std::move(result.choices[static_cast<std::size_t>(chooser.chosen())]);
            fetchCover(names, settings);
            break;
        }
    }
    applyNamingTemplate(m_main.tracks(), names, toc.firstTrack,
                        readNamingTemplate(m_main.settings()), m_main.outputFormat());
    std::string id = localDiscIdText(toc);
    std::string type = names.genre;
    if (const auto slash = names.cddbId.find('/'); slash != std::string::npos) {
        // The entry's own disc ID and category, as the CDDB lookup shows them.
        type = names.cddbId.substr(0, slash);
        id = names.cddbId.substr(slash + 1);
    }
    if (source == DiscMetadata::Source::musicBrainz) {
        if (const auto audio = quillon::musicbrainz::discToc(quillon::cdrom::layoutFromToc(toc)))
            id = quillon::musicbrainz::discId(*audio);
    }
    ui->edDiscID->setText(QString::fromStdString(id));
    ui->edArtist->setText(QString::fromStdString(names.artist));
    ui->edTitle->setText(QString::fromStdString(names.album));
    ui->edCategory->setText(QString::fromStdString(type));
    m_source->setText(QString::fromUtf8(sourceName(names.source)));
    m_main.setDiscNames(QString::fromStdString(names.artist), QString::fromStdString(names.album));
    m_main.setDiscMetadata(std::move(names));
    m_main.showRows();
    selectFirstRow();
    showStatus("Successful");
    return true;
}

void TCdMsgForm::cddbActivate() {
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
    if (result.outcome == CddbLookupResult::Outcome::named)
        m_source->setText(QStringLiteral("CDDB"));
    if (result.outcome == CddbLookupResult::Outcome::noMatch) m_source->clear();
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
