#include "AboutUnit.h"

#include <QLabel>

#include "ui_AboutUnit.h"

TAboutForm::TAboutForm(QWidget* parent, const QString& settingsFile)
    : QDialog(parent), ui(std::make_unique<Ui::TAboutForm>()) {
    ui->setupUi(this);
    if (!settingsFile.isEmpty()) {
        // Settings may live in the start folder or in the user's configuration folder; saying
        // which one is read saves a search when a setting seems not to take.
        auto* label = new QLabel(QStringLiteral("Settings: ") + settingsFile, this);
        label->setObjectName(QStringLiteral("SettingsFile"));
        label->setAlignment(Qt::AlignCenter);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        ui->mainlayout->insertWidget(2, label);
    }
    connect(ui->closebutton, &QPushButton::clicked, this, &QDialog::accept);
}

TAboutForm::~TAboutForm() = default;
