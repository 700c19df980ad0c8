#include "VolumeScale.h"

#include <array>
#include <mutex>
#include <vector>

#include "ACS_Classes.h"

const int16_t* volumeScaleTable(uint8_t volume) {
    static std::array<std::vector<int16_t>, 256> tables;
    static std::array<std::once_flag, 256> made;
    std::call_once(made[volume], [volume] {
        std::vector<int16_t>& table = tables[volume];
        table.resize(65536);
        for (int s = -32768; s <= 32767; ++s)
            table[static_cast<size_t>(s + 32768)] =
                static_cast<int16_t>(roundHalfEven(s * (volume / 255.0)));
    });
    return tables[volume].data() + 32768;
}
