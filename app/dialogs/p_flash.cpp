#include "p_flash.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QScreen>

#include "ui_p_flash.h"

namespace {

constexpr int kWidth = 440;
constexpr int kHeight = 260;

}  // namespace

Tflash::Tflash(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::Tflash>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    ui->Image1->setPixmap(picture());
}

Tflash::~Tflash() = default;

void Tflash::showAndPaint() {
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    repaint();
    // Lets the window system put the window up; the user cannot act on anything yet.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QPixmap Tflash::picture() {
    QPixmap pixmap(kWidth, kHeight);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient background(0, 0, kWidth, kHeight);
    background.setColorAt(0.0, QColor(0x1b, 0x26, 0x3b));
    background.setColorAt(0.55, QColor(0x24, 0x4b, 0x6e));
    background.setColorAt(1.0, QColor(0x3f, 0x7f, 0x8c));
    painter.fillRect(pixmap.rect(), background);

    // A disc, faint, at the right edge: the grooves as thin rings around a bright hub.
    const QPointF centre(kWidth * 0.82, kHeight * 0.62);
    QRadialGradient shine(centre, kHeight * 0.55);
    shine.setColorAt(0.0, QColor(255, 255, 255, 60));
    shine.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shine);
    painter.drawEllipse(centre, kHeight * 0.55, kHeight * 0.55);
    painter.setBrush(Qt::NoBrush);
    for (int ring = 0; ring < 9; ++ring) {
        const double radius = kHeight * (0.14 + 0.045 * ring);
        painter.setPen(QPen(QColor(255, 255, 255, 28 + 4 * ring), 1.0));
        painter.drawEllipse(centre, radius, radius);
    }

    QFont name = QApplication::font();
    name.setPointSize(40);
    name.setBold(true);
    name.setLetterSpacing(QFont::PercentageSpacing, 104);
    painter.setFont(name);
    const QRect nameArea(32, 0, kWidth - 64, kHeight * 2 / 3);
    painter.setPen(QColor(0, 0, 0, 90));
    painter.drawText(nameArea.translated(2, 2), Qt::AlignLeft | Qt::AlignBottom,
                     QStringLiteral("Quillon"));
    painter.setPen(QColor(0xf4, 0xf7, 0xfa));
    painter.drawText(nameArea, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Quillon"));

    // A thin rule under the name.
    painter.setPen(QPen(QColor(0xf4, 0xf7, 0xfa, 150), 2.0));
    painter.drawLine(QPointF(34, kHeight * 2 / 3 + 10),
                     QPointF(kWidth * 0.5, kHeight * 2 / 3 + 10));
    painter.end();
    return pixmap;
}
