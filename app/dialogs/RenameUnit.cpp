#include "RenameUnit.h"

#include <QShowEvent>

#include "MainUnit.h"
#include "ui_RenameUnit.h"

Trename::Trename(TMainForm& mainForm, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::Trename>()), m_main(mainForm) {
    ui->setupUi(this);
    connect(ui->okbutton, &QPushButton::clicked, this, &Trename::okbuttonClick);
    connect(ui->cancelbutton, &QPushButton::clicked, this, &Trename::cancelbuttonClick);
}

Trename::~Trename() = default;

void Trename::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

int Trename::currentRow() const {
    const int row = m_main.currentRow();
    return row >= 0 && static_cast<std::size_t>(row) < m_main.tracks().size() ? row : -1;
}

void Trename::FormActivate() {
    const int row = currentRow();
    const std::string name = row < 0 ? std::string() : m_main.tracks().row(row).name;
    ui->filename->setText(QString::fromStdString(TrackList::renameEditText(name)));
    // Typing replaces the old name; the arrow keys keep it.
    ui->filename->selectAll();
    ui->filename->setFocus();
}

void Trename::okbuttonClick() {
    // The row may have gone while the window was open (nothing else runs then, but the list
    // is the main window's); without one there is nothing to rename.
    const int row = currentRow();
    if (row >= 0) {
        m_main.tracks().rename(static_cast<std::size_t>(row), ui->filename->text().toStdString(),
                               m_main.outputFormat());
        m_main.showRows();
    }
    accept();
}

void Trename::cancelbuttonClick() {
    reject();
}
