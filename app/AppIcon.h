// The program's icon: a compact disc in the skin's accent colours, drawn at the sizes window
// captions and task bars ask for, and at the sizes of the desktop's icon theme when installed.
#pragma once

#include <QIcon>
#include <QImage>

QIcon quillonIcon();
// The icon drawn at size by size pixels; needs no application object.
QImage quillonIconImage(int size);
