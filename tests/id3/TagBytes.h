// ID3v2 tags and files made byte by byte for the tests, independent of the code under test.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

// A version 2.3 frame: identifier, 32-bit big-endian content size, the two flag bytes,
// content.
inline std::string frame(const std::string& id, const std::string& content, uint8_t status = 0,
                         uint8_t format = 0) {
    const auto size = static_cast<uint32_t>(content.size());
    std::string out = id;
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>(size >> shift);
    return out + static_cast<char>(status) + static_cast<char>(format) + content;
}

// Four 7-bit bytes, most significant first.
inline std::string syncSafe(uint32_t value) {
    std::string out;
    for (int shift = 21; shift >= 0; shift -= 7)
        out += static_cast<char>(value >> shift & 0x7F);
    return out;
}

// A version 2.4 frame: its size in four 7-bit bytes.
inline std::string frame24(const std::string& id, const std::string& content, uint8_t status = 0,
                           uint8_t format = 0) {
    return id + syncSafe(static_cast<uint32_t>(content.size())) + static_cast<char>(status) +
           static_cast<char>(format) + content;
}

// A version 2.2 frame: three-letter identifier, 24-bit size, no flags.
inline std::string frame22(const std::string& id, const std::string& content) {
    const auto size = static_cast<uint32_t>(content.size());
    std::string out = id;
    for (int shift = 16; shift >= 0; shift -= 8)
        out += static_cast<char>(size >> shift);
    return out + content;
}

// Unsynchronisation: a zero after every 0xFF that precedes 0xE0 or more, a zero, or the end.
inline std::string unsynchronised(const std::string& bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        const bool ff = static_cast<unsigned char>(bytes[i]) == 0xFF;
        if (ff && (i + 1 == bytes.size() || static_cast<unsigned char>(bytes[i + 1]) >= 0xE0 ||
                   bytes[i + 1] == '\0'))
            out += '\0';
    }
    return out;
}

// A tag header stating a body of `size` bytes in four 7-bit bytes.
inline std::string tagHeader(uint32_t size, uint8_t version = 3, uint8_t flags = 0) {
    std::string out = "ID3";
    out += static_cast<char>(version);
    out += '\0';
    out += static_cast<char>(flags);
    return out + syncSafe(size);
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
