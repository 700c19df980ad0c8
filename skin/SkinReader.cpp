#include "SkinReader.h"

#include <algorithm>
#include <stdexcept>

#include "LZH.h"

namespace {

constexpr std::size_t kHeaderSize = 16;

std::uint32_t readWord(std::span<const std::uint8_t> bytes, std::size_t at) {
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 |
           std::uint32_t(bytes[at + 2]) << 16 | std::uint32_t(bytes[at + 3]) << 24;
}

void putWord(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), lowerAscii);
    return result;
}

// CR LF, a lone CR and a lone LF each end a line; the end of the last line adds no name.
std::vector<std::string> splitLines(std::string_view list) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < list.size()) {
        if (list[i] != '\r' && list[i] != '\n') {
            ++i;
            continue;
        }
        lines.emplace_back(list.substr(start, i - start));
        i += list[i] == '\r' && i + 1 < list.size() && list[i + 1] == '\n' ? 2 : 1;
        start = i;
    }
    if (start < list.size()) lines.emplace_back(list.substr(start));
    return lines;
}

}  // namespace

TSkinReader::OpenResult TSkinReader::OpenSkin(std::span<const std::uint8_t> skinFile) {
    m_names.clear();
    m_spans.clear();
    m_data.clear();
    m_error.clear();
    const auto damaged = [this](std::string why) {
        m_names.clear();
        m_spans.clear();
        m_data.clear();
        m_error = std::move(why);
        return OpenResult::damaged;
    };

    std::vector<std::uint8_t> container;
    try {
        container = TLZH::Decompress(skinFile);
    } catch (const ElzhException& error) {
        return damaged(error.what());
    }
    if (container.size() < kHeaderSize) return damaged("the skin container has no header");
    const std::span<const std::uint8_t> bytes(container);
    const std::uint32_t version = readWord(bytes, 0);
    if (version != kVersion) {
        m_error = "the skin container has version " + std::to_string(version) + ", not " +
                  std::to_string(kVersion);
        return OpenResult::olderVersion;
    }

    const std::size_t listSize = readWord(bytes, 4);
    if (listSize > bytes.size() - kHeaderSize)
        return damaged("the name list of the skin container runs past its end");
    const std::string_view list(reinterpret_cast<const char*>(bytes.data() + kHeaderSize),
                                listSize);
    std::vector<std::string> names = splitLines(lowered(list));
    if (names.size() > kMaxEntries)
        return damaged("the skin container has " + std::to_string(names.size()) +
                       " entries, more than " + std::to_string(kMaxEntries));

    const std::size_t sizesAt = kHeaderSize + listSize;
    if (names.size() * 4 > bytes.size() - sizesAt)
        return damaged("the size table of the skin container runs past its end");
    const std::size_t dataAt = sizesAt + names.size() * 4;
    const std::size_t dataSize = bytes.size() - dataAt;
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    spans.reserve(names.size());
    std::size_t offset = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::size_t size = readWord(bytes, sizesAt + 4 * i);
        if (size > dataSize - offset)
            return damaged("entry \"" + names[i] + "\" of the skin container runs past its end");
        spans.emplace_back(offset, size);
        offset += size;
    }

    m_names = std::move(names);
    m_spans = std::move(spans);
    m_data.assign(container.begin() + std::ptrdiff_t(dataAt), container.end());
    return OpenResult::ok;
}

std::vector<std::uint8_t> TSkinReader::ExtractFile(std::string_view name) const {
    const std::string wanted = lowered(name);
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        if (m_names[i] != wanted) continue;
        const auto [offset, size] = m_spans[i];
        return {m_data.begin() + std::ptrdiff_t(offset),
                m_data.begin() + std::ptrdiff_t(offset + size)};
    }
    return {};
}

bool TSkinReader::FindFile(std::string_view text, std::vector<std::uint8_t>& out,
                           std::string& name) const {
    out.clear();
    const std::string wanted = lowered(text);
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        if (m_names[i].find(wanted) == std::string::npos) continue;
        const auto [offset, size] = m_spans[i];
        out.assign(m_data.begin() + std::ptrdiff_t(offset),
                   m_data.begin() + std::ptrdiff_t(offset + size));
        name = m_names[i];
        return true;
    }
    return false;
}

std::vector<std::uint8_t> PackSkinContainer(const std::vector<SkinEntry>& entries) {
    if (entries.size() > TSkinReader::kMaxEntries)
        throw std::invalid_argument("a skin holds at most " +
                                    std::to_string(TSkinReader::kMaxEntries) + " files, not " +
                                    std::to_string(entries.size()));
    std::string list;
    for (const auto& [name, bytes] : entries) {
        // A line break would split the name into two; an empty name would vanish from the
        // list when it is the last.
        if (name.empty() || name.find_first_of("\r\n") != std::string::npos)
            throw std::invalid_argument("a skin entry name must be one non-empty line: \"" + name +
                                        "\"");
        if (bytes.size() > 0xFFFFFFFFu)
            throw std::invalid_argument("skin entry " + name + " is too large");
        list += name;
        list += "\r\n";
    }
    if (list.size() > 0xFFFFFFFFu) throw std::invalid_argument("skin entry names too long");

    std::vector<std::uint8_t> out;
    putWord(out, TSkinReader::kVersion);
    putWord(out, std::uint32_t(list.size()));
    putWord(out, 0);
    putWord(out, 0);
    out.insert(out.end(), list.begin(), list.end());
    for (const auto& entry : entries)
        putWord(out, std::uint32_t(entry.second.size()));
    for (const auto& entry : entries)
        out.insert(out.end(), entry.second.begin(), entry.second.end());
    return out;
}

std::vector<std::uint8_t> PackSkinFile(const std::vector<SkinEntry>& entries) {
    return TLZH::Compress(PackSkinContainer(entries));
}
