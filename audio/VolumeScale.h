// Scaling 16-bit samples by a volume of 0..255.
#pragma once

#include <cstdint>

// A table of every 16-bit sample s scaled to round(s * volume / 255), halves to even,
// indexed by s itself (from -32768 to 32767). Made once per volume.
const int16_t* volumeScaleTable(uint8_t volume);
