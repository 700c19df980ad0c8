// ID3v2 tags and files made byte by byte for the tests, independent of the code under test.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

// A frame: identifier, 32-bit big-endian content size, two zero flag bytes, content.
inline std::string frame(const std::string& id, const std::string& content) {
    const auto size = static_cast<uint32_t>(content.size());
    std::string out = id;
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>(size >> shift);
    return out + std::string(2, '\0') + content;
}

// A tag header stating a body of `size` bytes in four 7-bit bytes.
inline std::string tagHeader(uint32_t size, uint8_t version = 3, uint8_t flags = 0) {
    std::string out = "ID3";
    out += static_cast<char>(version);
    out += '\0';
    out += static_cast<char>(flags);
    for (int shift = 21; shift >= 0; shift -= 7)
        out += static_cast<char>(size >> shift & 0x7F);
    return out;
}

// A whole tag around the frames, with `padding` zero bytes after them.
inline std::string wholeTag(const std::string& frames, size_t padding = 0, uint8_t version = 3) {
    return tagHeader(static_cast<uint32_t>(frames.size() + padding), version) + frames +
           std::string(padding, '\0');
}

// Stands in for MPEG audio: frame-sync bytes and a counter.
inline std::string audio(size_t size) {
    std::string out;
    for (size_t i = 0; i < size; ++i)
        out += static_cast<char>(i % 4 == 0 ? 0xFF : i % 251);
    return out;
}

// The 128-byte trailer tag of the old layout.
inline std::string trailerTag() {
    return "TAG" + std::string("Old Title") + std::string(116, ' ');
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path);
}
