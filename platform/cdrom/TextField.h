// Copying text into the API's fixed-size, zero-terminated fields.
#pragma once

#include <cstddef>
#include <string_view>

namespace quillon::cdrom {

// Copies as much of text as fits in size - 1 bytes and terminates it; a cut never splits a
// UTF-8 sequence. Bytes after the terminator are zeroed. Nothing happens when size is 0.
void copyField(char* field, std::size_t size, std::string_view text);

template <std::size_t N>
void copyField(char (&field)[N], std::string_view text) {
    copyField(field, N, text);
}

}  // namespace quillon::cdrom
