// The shipped skin: its palette, the drawing of every bitmap, and the description that cuts
// them into frames and margins. Everything here is deterministic, so the generated files are
// the same bytes on every run.
#pragma once

#include <QColor>
#include <QImage>
#include <string>
#include <vector>

namespace art {

// One theme: a dark slate caption and frame around light neutral faces, with one accent
// colour for focus, progress and selection.
namespace palette {
// Caption and frame, active window.
inline const QColor kCaptionTop{62, 74, 90};
inline const QColor kCaptionBottom{42, 50, 61};
inline const QColor kCaptionShine{96, 111, 132};
inline const QColor kFrameEdge{24, 29, 36};
// Caption and frame, inactive window.
inline const QColor kIdleTop{112, 120, 132};
inline const QColor kIdleBottom{97, 105, 116};
inline const QColor kIdleShine{134, 142, 153};
inline const QColor kIdleEdge{72, 78, 87};
// Caption glyphs.
inline const QColor kGlyph{226, 231, 237};
inline const QColor kGlyphIdle{186, 192, 200};
inline const QColor kCloseHot{214, 66, 66};
inline const QColor kClosePressed{168, 44, 44};
// Faces and lines.
inline const QColor kFace{230, 232, 235};
inline const QColor kFaceLight{248, 249, 250};
inline const QColor kFaceSunk{214, 218, 223};
inline const QColor kLine{166, 172, 181};
inline const QColor kLineSoft{198, 203, 209};
inline const QColor kText{30, 35, 40};
inline const QColor kTextSoft{80, 88, 100};
inline const QColor kDisabled{150, 156, 165};
inline const QColor kTrack{238, 240, 242};
inline const QColor kMenu{251, 251, 252};
inline const QColor kMenuBar{242, 243, 245};
// Accent.
inline const QColor kAccent{61, 139, 217};
inline const QColor kAccentDark{38, 104, 176};
inline const QColor kAccentLight{126, 180, 234};
inline const QColor kAccentTint{226, 237, 250};
}  // namespace palette

// The caption-row geometry the description and the artwork share.
constexpr int kCaptionHeight = 25;
constexpr int kBorder = 7;
constexpr int kCaptionButtonWidth = 15;
constexpr int kCaptionButtonHeight = 19;

struct ArtImage {
    std::string name;  // lower case, ".bmp"
    QImage image;      // RGB32
};

// Every bitmap of the skin, in a fixed order.
std::vector<ArtImage> drawSkinImages();
// The skin description ("skin.ini").
std::string skinDescription();
constexpr const char* kDescriptionName = "skin.ini";

// The parts, by group (each appends to the list).
void drawFrameImages(std::vector<ArtImage>& out);
void drawControlImages(std::vector<ArtImage>& out);
void drawScrollImages(std::vector<ArtImage>& out);

// A 24-bit bottom-up BMP file of the image.
std::vector<unsigned char> encodeBmp24(const QImage& image);

}  // namespace art
