#include "ConverterForm.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QShowEvent>

#include "ErrorReport.h"
#include "FileDrop.h"
#include "Shell.h"
#include "ToolWindowActions.h"
#include "ui_ConverterForm.h"

TConverterForm::TConverterForm(const ConverterLook& look, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TConverterForm>()), m_look(look) {
    ui->setupUi(this);
    setToolWindowFrame(*this);
    setWindowTitle(QString::fromLatin1(look.caption));
    ui->inputtabs->setTabText(0, QString::fromLatin1(look.inputTab));
    ui->outputtabs->setTabText(0, QString::fromLatin1(look.outputTab));
    setRowGlyphs(*ui->BitBtn3, *ui->BitBtn4);
    setRowGlyphs(*ui->BitBtn1, *ui->BitBtn2);
    if (!look.encoderOptions) {
        delete ui->options;
        ui->options = nullptr;
        ui->cpulabel = ui->comprlabel = nullptr;
        ui->cpu = ui->compr = nullptr;
    }

    // Files are dropped on the window, not typed into the path boxes as addresses.
    setAcceptDrops(true);
    ui->edit1->setAcceptDrops(false);
    ui->edit2->setAcceptDrops(false);

    connect(ui->Button3, &QPushButton::clicked, this, &TConverterForm::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TConverterForm::Button4Click);
    connect(ui->BitBtn3, &QToolButton::clicked, this, &TConverterForm::BitBtn3Click);
    connect(ui->BitBtn4, &QToolButton::clicked, this, &TConverterForm::BitBtn4Click);
    connect(ui->BitBtn1, &QToolButton::clicked, this, &TConverterForm::BitBtn1Click);
    connect(ui->BitBtn2, &QToolButton::clicked, this, &TConverterForm::BitBtn2Click);
    connect(ui->button1, &QPushButton::clicked, this,
            [this] { reportingErrors([this] { button1Click(); }); });
    connect(ui->cancel, &QPushButton::clicked, this, &TConverterForm::cancelClick);
    connect(ui->closebutton, &QPushButton::clicked, this, &TConverterForm::closebuttonClick);
}

TConverterForm::~TConverterForm() {
    // Stop the worker before anything it reports to goes away.
    m_sink.reset();
}

void TConverterForm::attach(std::unique_ptr<TACSFileIn> source, std::unique_ptr<TACSOutput> sink) {
    m_source = std::move(source);
    m_sink = std::move(sink);
    m_source->SetLoop(false);
    m_sink->SetInput(m_source.get());
    // Both reports arrive on the sink's worker; the window's part of them runs here.
    m_sink->OnProgress = [this](TACSOutput* sender) {
        const int percent = sender->LastProgress();
        onWindowThread(this, [this, percent] { sinkProgress(percent); });
    };
    m_sink->OnDone = [this](TACSOutput* sender) {
        const QString error = QString::fromStdString(sender->lastError());
        onWindowThread(this, [this, error] { sinkDone(error); });
    };
}

void TConverterForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_placed && !event->spontaneous()) {
        centreOnScreen(*this);
        m_placed = true;
    }
}

void TConverterForm::Button3Click() {
    const QString chosen = openFileDialog(this, QString::fromLatin1(m_look.inputFilter), QString(),
                                          folderPart(ui->edit1->text()));
    if (!chosen.isEmpty()) ui->edit1->setText(chosen);
}

QString TConverterForm::inputFileOf(const QMimeData* data) const {
    const QStringList paths = droppedLocalPaths(data);
    // The dialog chooses one existing file of the input kind; so does a drop.
    if (paths.size() != 1 || !QFileInfo(paths.first()).isFile() ||
        !fitsFilter(paths.first(), QString::fromLatin1(m_look.inputFilter)))
        return {};
    return paths.first();
}

void TConverterForm::dragEnterEvent(QDragEnterEvent* event) {
    if (!inputFileOf(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TConverterForm::dropEvent(QDropEvent* event) {
    const QString file = inputFileOf(event->mimeData());
    if (file.isEmpty()) return;
    ui->edit1->setText(file);
    event->acceptProposedAction();
}

void TConverterForm::Button4Click() {
    const QString chosen = saveFileDialog(this, QString::fromLatin1(m_look.outputFilter),
                                          QString::fromLatin1(m_look.defaultExtension), QString(),
                                          folderPart(ui->edit2->text()));
    if (!chosen.isEmpty()) ui->edit2->setText(chosen);
}

void TConverterForm::BitBtn3Click() {
    openDocumentIn(*ui->edit1);
}

void TConverterForm::BitBtn4Click() {
    openFolderOf(*ui->edit1);
}

void TConverterForm::BitBtn1Click() {
    openDocumentIn(*ui->edit2);
}

void TConverterForm::BitBtn2Click() {
    openFolderOf(*ui->edit2);
}

void TConverterForm::button1Click() {
    const QString input = ui->edit1->text();
    if (input.isEmpty()) return;
    const QString output = ui->edit2->text();
    if (output.isEmpty()) return;
    // During a conversion the worker owns the components: leave them alone and let Run
    // refuse to start a second one.
    if (!m_sink->Busy()) {
        m_source->SetFileName(input.toStdString());
        m_setOutputName(output.toStdString());
        beforeRun();
    }
    m_sink->Run();
}

void TConverterForm::cancelClick() {
    m_sink->Stop();
}

void TConverterForm::closebuttonClick() {
    close();
}

void TConverterForm::sinkProgress(int percent) {
    ui->button1->setEnabled(false);
    ui->closebutton->setEnabled(false);
    ui->progressbar1->setValue(percent);
}

void TConverterForm::sinkDone(const QString& error) {
    ui->button1->setEnabled(true);
    ui->closebutton->setEnabled(true);
    // An error inside the run (a full disk, an unreadable block) ended it early.
    if (!error.isEmpty()) showErrorReport(error);
    emit conversionDone();
}
