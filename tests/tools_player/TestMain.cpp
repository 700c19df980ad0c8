#include "QtTestMain.h"

QUILLON_QT_TEST_MAIN
