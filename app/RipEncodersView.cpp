#include "RipEncodersView.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QProgressBar>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "RipResults.h"

namespace {

// Lines shown at once before the encoders' lines scroll: a machine may run dozens.
constexpr std::size_t kRowsShown = 6;
constexpr int kBarWidth = 120;

// Names come from CDDB or MusicBrainz: nothing of theirs may break the line.
QString lineText(const std::string& text) {
    return QString::fromStdString(oneLineText(text));
}

QProgressBar* makeBar(QWidget* parent, const char* name) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setFixedWidth(kBarWidth);
    return bar;
}

}  // namespace

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QSize ElidedLabel::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect room = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
    style()->drawItemText(&painter, room, static_cast<int>(alignment()), palette(), isEnabled(),
                          shown, foregroundRole());
}

RipEncodersView::RipEncodersView(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    m_readingLine = new ElidedLabel(this);
    m_readingLine->setObjectName(QStringLiteral("readingline"));
    layout->addWidget(m_readingLine);

    m_area = new QScrollArea(this);
    m_area->setObjectName(QStringLiteral("encoderarea"));
    m_area->setFrameShape(QFrame::NoFrame);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_area->setWidgetResizable(true);
    m_area->setFocusPolicy(Qt::NoFocus);
    m_rowsWidget = new QWidget(m_area);
    m_rowsLayout = new QVBoxLayout(m_rowsWidget);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->addStretch();
    m_area->setWidget(m_rowsWidget);
    layout->addWidget(m_area);

    auto* discRow = new QWidget(this);
    auto* discLayout = new QHBoxLayout(discRow);
    discLayout->setContentsMargins(0, 0, 0, 0);
    discLayout->addWidget(new QLabel(QStringLiteral("Whole disc"), discRow), 1);
    m_discBar = makeBar(discRow, "discgauge");
    discLayout->addWidget(m_discBar);
    layout->addWidget(discRow);
    reset();
}

RipEncodersView::Row& RipEncodersView::row(std::size_t index) {
    while (m_rows.size() <= index) {
        Row made;
        made.widget = new QWidget(m_rowsWidget);
        made.widget->setObjectName(QStringLiteral("encoderrow"));
        auto* layout = new QHBoxLayout(made.widget);
        layout->setContentsMargins(0, 0, 0, 0);
        made.label = new ElidedLabel(made.widget);
        made.label->setObjectName(QStringLiteral("encoderlabel"));
        layout->addWidget(made.label, 1);
        made.bar = makeBar(made.widget, "encodergauge");
        layout->addWidget(made.bar);
        // Before the stretch that keeps a short list at the top.
        m_rowsLayout->insertWidget(static_cast<int>(m_rows.size()), made.widget);
        m_rows.push_back(made);
    }
    return m_rows[index];
}

bool RipEncodersView::showProgress(const RipProgress& progress) {
    if (progress.reading)
        m_readingLine->setText(
            QStringLiteral("Reading: %1 %2 %3%")
                .arg(lineText(progress.reading->caption), lineText(progress.reading->name))
                .arg(progress.reading->percent));
    else
        m_readingLine->setText(QStringLiteral("Reading: done"));

    const std::size_t count = progress.encoding.size();
    for (std::size_t index = 0; index < count; ++index) {
        const RipProgress::Track& track = progress.encoding[index];
        Row& line = row(index);
        line.label->setText(
            QStringLiteral("%1 %2").arg(lineText(track.caption), lineText(track.name)));
        line.bar->setValue(std::clamp(track.percent, 0, 100));
        line.widget->setVisible(true);
    }
    for (std::size_t index = count; index < m_rows.size(); ++index)
        m_rows[index].widget->setVisible(false);
    m_discBar->setValue(std::clamp(progress.discPercent, 0, 100));

    // The area only grows within a job: a window that shrinks and grows as tracks come and
    // go would jump under the user's eyes.
    if (std::min(count, kRowsShown) <= m_roomFor) return false;
    makeRoom(count);
    return true;
}

void RipEncodersView::makeRoom(std::size_t rows) {
    m_roomFor = std::min(rows, kRowsShown);
    if (m_roomFor == 0) {
        m_area->hide();
        return;
    }
    const int rowHeight = row(0).widget->sizeHint().height();
    const int spacing = std::max(m_rowsLayout->spacing(), 0);
    const int count = static_cast<int>(m_roomFor);
    m_area->setFixedHeight(count * rowHeight + (count - 1) * spacing);
    m_area->show();
}

void RipEncodersView::showEnded() {
    m_readingLine->hide();
    m_area->hide();
    for (Row& line : m_rows)
        line.widget->hide();
}

void RipEncodersView::reset() {
    hide();
    m_readingLine->clear();
    m_readingLine->show();
    for (Row& line : m_rows) {
        line.widget->hide();
        line.bar->setValue(0);
    }
    m_discBar->setValue(0);
    makeRoom(0);
}

int RipEncodersView::neededHeight() {
    // Lines shown or hidden since the last layout pass count as they stand now.
    layout()->invalidate();
    return layout()->sizeHint().height();
}
