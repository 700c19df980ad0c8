// A skin for control tests: every frame of every image is one solid, distinct colour, so a
// grab of a control tells which frame was drawn where.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <memory>

#include "WinSkinData.h"

namespace skintest {

// Frame k (from 1) of role `role`: a colour no other frame of the test skin has.
QColor frameColour(int role, int frame);

enum Role {
    kButton = 1,
    kCheck,
    kRadio,
    kProgress,
    kStatus,
    kCombo,
    kExtra,
    kSunk,
    kMenuItem,
    kMenuBack,
    kArrows,
    kHorzTrack,
    kVertTrack,
    kHorzThumb,
    kVertThumb,
    kTabs,
    kTabBorder,
};

// frames solid frames of frameWidth x height, side by side.
QImage frameStrip(int role, int frames, int frameWidth, int height);

const QColor kFace(200, 200, 190);
const QColor kShadowColour(90, 60, 30);
const QColor kButtonText(10, 20, 30);
const QColor kNormalText(0, 0, 200);

// A fully loaded test skin (Loading() stays 1: only the window frame cares).
std::unique_ptr<TSkinData> makeSkin();

// The colour of a pixel of a widget as it draws itself now.
QColor pixelOf(QWidget* widget, QPoint at);
// How many pixels of the widget's picture have exactly this colour.
int countColour(QWidget* widget, const QColor& colour);

}  // namespace skintest
