// The compression of skin files: LZSS over a 4096-byte ring with matches of 3 to 60 bytes,
// the symbols coded with an adaptive Huffman tree (314 symbols, rebuilt at a root count of
// 0x8000). A skin file is the uncompressed length L (32-bit little-endian) followed by the
// bit stream.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

class ElzhException : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TLZH {
  public:
    // Decodes a skin file to exactly L bytes. Bytes missing at the end of the stream read as
    // 0. Throws ElzhException when the file is shorter than its length field, or when L is
    // more than the stream could possibly hold (a damaged or hostile length must not make the
    // decoder allocate or work for it).
    static std::vector<std::uint8_t> Decompress(std::span<const std::uint8_t> skinFile);

    // Encodes data as a skin file (length field included) that Decompress turns back into
    // the same bytes.
    static std::vector<std::uint8_t> Compress(std::span<const std::uint8_t> data);
};
