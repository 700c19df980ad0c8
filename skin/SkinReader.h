// The container inside a skin file: a version-20000 header, a CR LF list of entry names, the
// entry sizes and the entries one after the other. No Qt here.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TSkinReader {
  public:
    enum class OpenResult { ok, olderVersion, damaged };

    static constexpr std::uint32_t kVersion = 20000;
    static constexpr std::size_t kMaxEntries = 1001;

    // Decompresses a skin file and indexes its container. On any result other than ok the
    // reader holds no entries; errorText() says what was wrong.
    OpenResult OpenSkin(std::span<const std::uint8_t> skinFile);
    const std::string& errorText() const { return m_error; }

    // The entry whose name equals name without regard to case; empty when there is none.
    std::vector<std::uint8_t> ExtractFile(std::string_view name) const;
    // The first entry whose (lower-cased) name contains text: its bytes and name. False, with
    // out emptied and name unchanged, when none does.
    bool FindFile(std::string_view text, std::vector<std::uint8_t>& out, std::string& name) const;

    // Entry names (lower-cased), in container order.
    const std::vector<std::string>& names() const { return m_names; }

  private:
    std::vector<std::string> m_names;
    std::vector<std::pair<std::size_t, std::size_t>> m_spans;  // offset, size in m_data
    std::vector<std::uint8_t> m_data;
    std::string m_error;
};

// The writer's side: a container of the entries in the order given (names kept as given, the
// description should come last), and a whole skin file (the container compressed).
using SkinEntry = std::pair<std::string, std::vector<std::uint8_t>>;
std::vector<std::uint8_t> PackSkinContainer(const std::vector<SkinEntry>& entries);
std::vector<std::uint8_t> PackSkinFile(const std::vector<SkinEntry>& entries);
