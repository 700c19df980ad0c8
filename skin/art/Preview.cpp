// quillon-skin-preview OUTDIR: composes sample windows from the skin's artwork with the skin
// painters (active and inactive, with controls in each state) and writes preview.png and an
// enlarged view of the caption corners, zoom.png, to look the theme over.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "SkinArt.h"
#include "SkinPainters.h"

namespace {

using namespace art::palette;

std::map<std::string, QImage> g_images;

const QImage& img(const std::string& name) {
    return g_images.at(name);
}

// Draws the nine-slice result the way the engine does: opaque, or with magenta transparent.
void nine(QPainter& p, const QRect& r, const std::string& name, SkinMargins m, bool vertical,
          bool tile, int frames, int frame, bool transparent) {
    const QImage picture = DrawNineSlice(r.size(), img(name), m, vertical, tile, frames, frame);
    DrawSkinBitmap(p, r.topLeft(), picture, transparent);
}

void text(QPainter& p, const QRect& r, const QString& s, const QColor& c,
          int flags = Qt::AlignCenter) {
    p.setPen(c);
    p.drawText(r, flags, s);
}

void pushButton(QPainter& p, const QRect& r, int frame, const QString& caption) {
    p.fillRect(r, kFace);
    nine(p, r, "button.bmp", {9, 3, 3, 3}, false, false, 5, frame, true);
    text(p, r, caption, frame == 3 ? kDisabled : kText);
}

void glyphRow(QPainter& p, int x, int y, const std::string& name, int frames, int frame,
              const QString& caption, bool enabled = true) {
    const QImage& image = img(name);
    const int w = image.width() / frames;
    QImage cell = image.copy(w * (frame - 1), 0, w, image.height());
    p.fillRect(QRect(x, y, w, image.height()), kFace);
    DrawSkinBitmap(p, QPoint(x + (14 - w) / 2, y), cell, true);
    text(p, QRect(x + 18, y - 3, 120, 19), caption, enabled ? kText : kDisabled,
         Qt::AlignLeft | Qt::AlignVCenter);
}

void horizontalScrollBar(QPainter& p, const QRect& r, int thumbAt, int thumbLength, int thumbFrame,
                         int leftFrame, int rightFrame) {
    p.fillRect(r, kTrack);
    const int b = r.height();
    nine(p, QRect(r.left() + b, r.top(), r.width() - 2 * b, b), "horzscroll.bmp", {2, 2, 2, 2},
         false, false, 4, 1, false);
    DrawFrameTransparent(p, QRect(r.left(), r.top(), b, b), img("scrollbar.bmp"), leftFrame, false);
    DrawFrameTransparent(p, QRect(r.right() - b + 1, r.top(), b, b), img("scrollbar.bmp"),
                         rightFrame, false);
    nine(p, QRect(r.left() + b + thumbAt, r.top(), thumbLength, b), "horzthumb.bmp", {6, 0, 6, 0},
         false, false, 3, thumbFrame, true);
}

void verticalScrollBar(QPainter& p, const QRect& r, int thumbAt, int thumbLength, int thumbFrame,
                       int upFrame, int downFrame) {
    p.fillRect(r, kTrack);
    const int b = r.width();
    nine(p, QRect(r.left(), r.top() + b, b, r.height() - 2 * b), "vertscroll.bmp", {2, 2, 2, 2},
         false, false, 4, 1, false);
    DrawFrameTransparent(p, QRect(r.left(), r.top(), b, b), img("scrollbar.bmp"), upFrame, false);
    DrawFrameTransparent(p, QRect(r.left(), r.bottom() - b + 1, b, b), img("scrollbar.bmp"),
                         downFrame, false);
    nine(p, QRect(r.left(), r.top() + b + thumbAt, b, thumbLength), "vertthumb.bmp", {0, 6, 0, 6},
         false, false, 3, thumbFrame, true);
}

// One 400 x 300 window, composed as the frame painter and the control painters would.
QImage window(bool active, bool maximised, QRegion& region) {
    constexpr int W = 400, H = 300, B = art::kBorder, C = art::kCaptionHeight, M = 20;
    const int frame = active ? 1 : 2;
    QImage win(W, H, QImage::Format_RGB32);
    win.fill(kFace);
    QPainter p(&win);
    QFont font("DejaVu Sans");
    font.setPixelSize(12);
    p.setFont(font);

    const QImage left =
        DrawNineSlice({B, H}, img("left.bmp"), {0, C, 0, 8}, false, false, 2, frame);
    const QImage right =
        DrawNineSlice({B, H}, img("right.bmp"), {0, C, 0, 8}, false, false, 2, frame);
    DrawSkinBitmap(p, {0, 0}, left, true);
    DrawSkinBitmap(p, {W - B, 0}, right, true);
    nine(p, QRect(B, H - B, W - 2 * B, B), "bottom.bmp", {4, 0, 4, 0}, true, false, 2, frame,
         false);
    nine(p, QRect(B, 0, W - 2 * B, C), "top.bmp", {10, 0, 44, 0}, true, false, 2, frame, false);

    // Caption: the icon, the title behind its text background, the buttons.
    DrawSkinBitmap(p, {19, 3}, img("icon.bmp"), true);
    QFont bold = font;
    bold.setBold(true);
    p.setFont(bold);
    const QRect title(B + 21, 0, 200, C);
    DrawThreePart(p, title, img("textback.bmp"), true, true, 2, frame, 16, 8);
    text(p, title.adjusted(16, -2, 0, -2), active ? "Quillon" : "Quillon (inactive)",
         active ? QColor(240, 243, 246) : QColor(214, 218, 223), Qt::AlignLeft | Qt::AlignVCenter);
    p.setFont(font);
    const int buttonFrame = active ? 1 : 4;
    DrawFrameTransparent(p, QRect(W - 17, 0, 15, 19), img("close.bmp"), active ? 3 : buttonFrame);
    DrawFrameTransparent(p, QRect(W - 32, 0, 15, 19),
                         img(maximised ? "restore.bmp" : "maximize.bmp"), buttonFrame);
    DrawFrameTransparent(p, QRect(W - 47, 0, 15, 19), img("minimize.bmp"), buttonFrame);

    // Menu bar with a hot item.
    const QRect bar(B, C, W - 2 * B, M);
    nine(p, bar, "menubar.bmp", {4, 0, 4, 0}, true, false, 2, frame, false);
    int x = bar.left() + 8;
    for (const char* item : {"File", "Edit", "Tools", "Help"}) {
        const int w = p.fontMetrics().horizontalAdvance(item) + 10;
        const QRect r(x, bar.top(), w, bar.height() - 1);
        if (QString(item) == "Edit") {
            p.setPen(kAccent);
            p.drawRect(r.adjusted(0, 0, -1, -1));
        }
        text(p, r, item, kText);
        x += w;
    }

    // Client area.
    const int top = C + M + 8;
    const char* captions[4] = {"Normal", "Pressed", "Disabled", "Focused"};
    for (int i = 0; i < 4; ++i)
        pushButton(p, QRect(16 + i * 82, top, 76, 23), i + 1, captions[i]);
    glyphRow(p, 16, top + 36, "checkbox.bmp", 4, 1, "Check");
    glyphRow(p, 16, top + 56, "checkbox.bmp", 4, 2, "Checked");
    glyphRow(p, 16, top + 76, "checkbox.bmp", 4, 4, "Disabled", false);
    glyphRow(p, 110, top + 36, "radio.bmp", 4, 1, "Radio");
    glyphRow(p, 110, top + 56, "radio.bmp", 4, 2, "Selected");
    glyphRow(p, 110, top + 76, "radio.bmp", 4, 4, "Disabled", false);

    // Combo box with its drop-down button hot.
    const QRect combo(210, top + 34, 150, 21);
    nine(p, combo, "sunkedge.bmp", {2, 2, 2, 2}, false, false, 4, 1, false);
    text(p, combo.adjusted(5, 0, -20, 0), "MP3 (128 kbit/s)", kText,
         Qt::AlignLeft | Qt::AlignVCenter);
    const QRect drop(combo.right() - 17, combo.top(), 18, combo.height());
    nine(p, drop, "combobutton.bmp", {3, 3, 3, 3}, false, false, 4, 4, true);
    const QImage arrow = img("extraimages.bmp").copy(27, 0, 9, 6);
    DrawSkinBitmap(p, {drop.left() + 5, drop.top() + 8}, arrow, true);

    // Progress bar at 60 %.
    const QRect progress(210, top + 66, 150, 16);
    nine(p, progress, "progress.bmp", {3, 3, 3, 3}, false, false, 2, 1, false);
    nine(p, QRect(progress.topLeft(), QSize(progress.width() * 6 / 10, progress.height())),
         "progress.bmp", {3, 3, 3, 3}, false, false, 2, 2, false);

    // Tabs over a page with a list and its scroll bars.
    const int tabsTop = top + 100;
    const QRect page(16, tabsTop + 21, 240, 110);
    nine(p, page, "tabborder.bmp", {4, 5, 4, 4}, false, false, 1, 1, false);
    const char* tabCaptions[3] = {"Tracks", "Options", "About"};
    for (int i = 0; i < 3; ++i) {
        const int f = i == 1 ? 2 : (i == 2 ? 3 : 1);
        const QRect tab(18 + i * 64, tabsTop, 64, 22);
        nine(p, tab, "tabs.bmp", {4, 4, 4, 2}, false, false, 5, f, true);
        text(p, tab, tabCaptions[i], f == 2 ? kText : kTextSoft);
    }
    const QRect list(24, tabsTop + 30, 224, 92);
    p.fillRect(list, Qt::white);
    p.setPen(kDisabled);
    p.drawRect(list.adjusted(0, 0, -1, -1));
    p.fillRect(QRect(25, tabsTop + 49, 206, 18), kAccent);
    for (int i = 0; i < 4; ++i)
        text(p, QRect(30, tabsTop + 31 + i * 18, 200, 18), QString("%1  Track %1").arg(i + 1),
             i == 1 ? Qt::white : kText, Qt::AlignLeft | Qt::AlignVCenter);
    verticalScrollBar(p, QRect(list.right() - 16, list.top() + 1, 16, list.height() - 18), 8, 26, 2,
                      10, 15);
    horizontalScrollBar(p, QRect(list.left() + 1, list.bottom() - 16, list.width() - 18, 16), 30,
                        60, 1, 1, 6);
    p.fillRect(QRect(list.right() - 16, list.bottom() - 16, 16, 16), kFace);

    // A popup menu with a selected entry and a separator.
    const QRect menu(272, tabsTop - 4, 110, 92);
    nine(p, menu, "menubackground.bmp", {3, 3, 3, 3}, false, false, 1, 1, false);
    const char* entries[5] = {"Play", "Pause", "-", "Eject", "Close"};
    int y = menu.top() + 3;
    for (int i = 0; i < 5; ++i) {
        const bool separator = entries[i][0] == '-';
        const int h = separator ? 8 : 19;
        const QRect entry(menu.left() + 3, y, menu.width() - 6, h);
        if (separator) {
            const QImage& image = img("menuitem.bmp");
            const QImage rows = image.copy(24, image.height() - h, 24, h);
            const QImage sep = DrawNineSlice(entry.size(), rows, {3, 0, 3, 0}, false, false, 1, 1);
            DrawSkinBitmap(p, entry.topLeft(), sep, true);
        } else {
            const int f = i == 1 ? 4 : 1;
            nine(p, entry, "menuitem.bmp", {3, 3, 3, 3}, false, false, 5, f, true);
            text(p, entry.adjusted(20, 0, 0, 0), entries[i], f == 4 ? Qt::white : kText,
                 Qt::AlignLeft | Qt::AlignVCenter);
        }
        y += h;
    }

    // Status bar.
    const QRect status(B, H - B - 20, W - 2 * B, 20);
    nine(p, status, "statusbar.bmp", {2, 2, 2, 2}, false, false, 3, 1, false);
    const QRect panel(status.left() + 2, status.top() + 2, 150, 16);
    nine(p, panel, "statusbar.bmp", {2, 2, 2, 2}, false, false, 3, 2, false);
    text(p, panel.adjusted(4, 0, 0, 0), "Ready", kTextSoft, Qt::AlignLeft | Qt::AlignVCenter);
    p.end();

    // The window's region: the client and plain strips, the side strips by their pixels.
    region = QRegion(B, 0, W - 2 * B, H);
    region += RegionFromBitmap(left, 0, 0);
    region += RegionFromBitmap(right, W - B, 0);
    return win;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillon-skin-preview OUTDIR\n");
        return 2;
    }
    for (auto& image : art::drawSkinImages())
        g_images[image.name] = image.image;
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(dir.path());

    QImage desk(860, 340, QImage::Format_RGB32);
    desk.fill(QColor(176, 196, 214));
    QPainter p(&desk);
    for (int i = 0; i < 2; ++i) {
        QRegion region;
        const QImage win = window(i == 0, i == 1, region);
        const QPoint at(20 + i * 430, 20);
        p.setClipRegion(region.translated(at));
        p.drawImage(at, win);
        p.setClipping(false);
    }
    p.end();
    desk.save(dir.filePath("preview.png"));
    desk.copy(0, 0, 440, 340)
        .scaled(880, 680, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .save(dir.filePath("preview-active-2x.png"));

    // The caption's left and right ends and the buttons, four times as large.
    QImage zoom(2 * 100 * 4 + 8, 80 * 4, QImage::Format_RGB32);
    zoom.fill(Qt::white);
    QPainter z(&zoom);
    z.drawImage(QRect(0, 0, 400, 160), desk, QRect(16, 16, 100, 40));
    z.drawImage(QRect(408, 0, 400, 160), desk, QRect(20 + 400 - 96, 16, 100, 40));
    z.drawImage(QRect(0, 160, 400, 160), desk, QRect(16, 300, 100, 40));
    z.drawImage(QRect(408, 160, 400, 160), desk, QRect(20 + 400 - 96, 300, 100, 40));
    z.end();
    zoom.save(dir.filePath("zoom.png"));

    // Every bitmap, three times as large, on one sheet.
    int sheetH = 0, sheetW = 0;
    for (const auto& [name, image] : g_images) {
        sheetH += image.height() * 3 + 6;
        sheetW = std::max(sheetW, image.width() * 3);
    }
    QImage sheet(sheetW, sheetH, QImage::Format_RGB32);
    sheet.fill(QColor(120, 120, 120));
    QPainter s(&sheet);
    int sy = 0;
    for (const auto& [name, image] : g_images) {
        s.drawImage(QRect(0, sy, image.width() * 3, image.height() * 3), image);
        sy += image.height() * 3 + 6;
    }
    s.end();
    sheet.save(dir.filePath("sheet.png"));
    return 0;
}
