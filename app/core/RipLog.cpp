#include "RipReport.h"

std::string ripLogText(const RipReport&) {
    return {};
}
