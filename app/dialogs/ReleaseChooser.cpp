#include "ReleaseChooser.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

}  // namespace

TReleaseChooser::TReleaseChooser(const std::vector<DiscMetadata>& choices, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TReleaseChooser"));
    setWindowTitle(QStringLiteral("Choose a Release"));
    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel(QStringLiteral("The disc is on several releases. Which one is it?"));
    layout->addWidget(prompt);

    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("ReleaseList"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("Artist"), QStringLiteral("Title"),
                             QStringLiteral("Year"), QStringLiteral("Country"),
                             QStringLiteral("Label"), QStringLiteral("Tracks")});
    for (const DiscMetadata& choice : choices) {
        std::size_t tracks = 0;
        for (const auto& track : choice.tracks)
            tracks += track.title.empty() ? 0 : 1;
        auto* row = new QTreeWidgetItem({text(choice.artist), text(choice.album),
                                         text(choice.year.substr(0, 4)), text(choice.country),
                                         text(choice.label), QString::number(tracks)});
        m_list->addTopLevelItem(row);
    }
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->setMinimumWidth(520);
    if (m_list->topLevelItemCount() > 0) m_list->setCurrentItem(m_list->topLevelItem(0));
    layout->addWidget(m_list);

    auto* buttons = new QDialogButtonBox;
    auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okbutton"));
    ok->setDefault(true);
    auto* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelbutton"));
    layout->addWidget(buttons);

    connect(ok, &QPushButton::clicked, this, &TReleaseChooser::okbuttonClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemActivated, this, &TReleaseChooser::okbuttonClick);
}

void TReleaseChooser::okbuttonClick() {
    QTreeWidgetItem* current = m_list->currentItem();
    if (current == nullptr) return;
    m_chosen = m_list->indexOfTopLevelItem(current);
    accept();
}
