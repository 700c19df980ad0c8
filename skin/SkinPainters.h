// Drawing skin images: one frame cut out of an image of equal frames, drawn into a rectangle
// of any size with fixed margins and a stretched or repeated middle, magenta (255, 0, 255) as
// the transparent colour; and window regions from the non-magenta pixels of a bitmap.
// Stretching is nearest-neighbour (no smoothing) throughout.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRegion>
#include <QSize>

struct TDataSkinObject;

constexpr QRgb kSkinKeyColour = 0xFFFF00FF;

struct SkinMargins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Frame k (from 1) of an image with n frames, side by side or stacked vertically.
QRect SkinFrameRect(const QImage& image, int frameCount, int frame, bool vertical);

// The frame drawn into a bitmap of the destination size (RGB32). Margins that do not fit are
// dropped (L = R = 0 when W < L + R; T = B = 0 when H < T + B); the middle is stretched, or
// repeated from its top-left when tiling.
QImage DrawNineSlice(QSize destination, const QImage& image, SkinMargins margins, bool vertical,
                     bool tile, int frameCount, int frame);
// The same with the margins, tile flag and frame count of an image object.
QImage DrawNineSlice(QSize destination, const TDataSkinObject& object, int frame,
                     bool vertical = false);

// The left L columns, the middle repeated, the right R columns, each stretched to the
// destination height; drawn with magenta transparent when asked, else opaque.
void DrawThreePart(QPainter& painter, const QRect& destination, const QImage& image, bool vertical,
                   bool transparent, int frameCount, int frame, int left, int right);

// Frame k of an image whose frames are as wide as the destination, stretched into it.
void DrawFrameTransparent(QPainter& painter, const QRect& destination, const QImage& image,
                          int frame, bool transparent = true);

// Draws a bitmap with magenta transparent (when asked) or opaque.
void DrawSkinBitmap(QPainter& painter, const QPoint& at, const QImage& bitmap, bool transparent);

// The same pieces as DrawNineSlice, drawn straight onto the painter, every piece stretched.
void DrawNineSliceDirect(QPainter& painter, const QRect& destination, const QImage& image,
                         SkinMargins margins, bool vertical, int frameCount, int frame);

// The source rectangle repeated from the destination's top-left, cut by its edges.
void DrawTiled(QPainter& painter, const QRect& destination, const QImage& image,
               const QRect& source);

// The non-magenta pixels (each channel within key .. key + 1) as one-pixel-high row runs,
// offset by (x, y).
QRegion RegionFromBitmap(const QImage& bitmap, int x, int y);

// The image with magenta pixels made fully transparent (ARGB32_Premultiplied).
QImage KeyedImage(const QImage& image);

// The one off-screen bitmap that control painters and the menu bar compose in, resized to at
// least the size asked and cleared to transparent black. UI thread only.
QImage& SkinScratch(QSize size);
