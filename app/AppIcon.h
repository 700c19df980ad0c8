// The program's icon: a compact disc in the skin's accent colours, drawn at the sizes window
// captions and task bars ask for.
#pragma once

#include <QIcon>

QIcon quillonIcon();
