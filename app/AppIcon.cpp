#include "AppIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>

QImage quillonIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF outer(0.5, 0.5, size - 1.0, size - 1.0);
    QRadialGradient shine(outer.center(), size / 2.0,
                          outer.topLeft() + QPointF(size * 0.3, size * 0.3));
    shine.setColorAt(0, QColor(196, 222, 250));
    shine.setColorAt(1, QColor(58, 120, 196));
    painter.setPen(QPen(QColor(30, 74, 130), std::max(1.0, size / 16.0)));
    painter.setBrush(shine);
    painter.drawEllipse(outer);
    // The hub and its hole.
    const double hub = size * 0.34;
    painter.setBrush(QColor(232, 238, 246));
    painter.setPen(QPen(QColor(30, 74, 130), std::max(1.0, size / 24.0)));
    painter.drawEllipse(outer.center(), hub / 2, hub / 2);
    painter.setBrush(QColor(30, 74, 130));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(outer.center(), hub / 5, hub / 5);
    painter.end();
    return image;
}

QIcon quillonIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(QPixmap::fromImage(quillonIconImage(size)));
    return icon;
}
