#include "TextField.h"

#include <cstring>

namespace quillon::cdrom {

void copyField(char* field, std::size_t size, std::string_view text) {
    if (size == 0 || field == nullptr) return;
    std::size_t length = text.size();
    if (length > size - 1) {
        length = size - 1;
        // Step back over continuation bytes to the start of the cut sequence.
        std::size_t back = 0;
        while (length > 0 && back < 3 &&
               (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
            --length;
            ++back;
        }
        if ((static_cast<unsigned char>(text[length]) & 0xC0) != 0xC0)
            length += back;  // no sequence start there: not UTF-8, cut where the room ends
    }
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, size - length);
}

}  // namespace quillon::cdrom
