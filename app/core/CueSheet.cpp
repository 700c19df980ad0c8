#include "RipReport.h"

std::string cueSheetText(const RipReport&) {
    return {};
}
