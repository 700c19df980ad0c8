// The text of an INI file held as its lines, so that an edit rewrites only the line it touches
// and everything else (comments, blank lines, unknown lines, line ends, a byte-order mark, the
// order of sections and keys) comes back out as it went in.
//
// Reading rules:
// - Lines end at LF; a CR right before the LF belongs to the line end. A leading UTF-8
//   byte-order mark is kept aside.
// - A line whose first non-blank character is '[' opens a section; its name runs to the first
//   ']' (or to the end of the line) and is trimmed of blanks. Text after the ']' is ignored.
// - A line whose first non-blank character is ';' or '#' is a comment.
// - Any other line holding '=' is an entry: the trimmed text before the first '=' is the key,
//   the trimmed text after it the value. One pair of double quotes around the whole value is
//   removed, so that values with blanks at their ends can be stored.
// - Every other line is kept and otherwise ignored, as are entries before the first section.
// - Section and key names are compared without regard to ASCII case; the first section of a
//   name is the only one seen (later ones of the same name are kept but never read), and in it
//   the first entry of a key wins.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillon::inifile {

class IniDocument {
  public:
    IniDocument() = default;
    // Any bytes are accepted.
    static IniDocument parse(std::string_view text);
    // The document as file text.
    std::string text() const;

    bool hasSection(std::string_view section) const;
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // The keys of the section, each once in the spelling of its first entry, in file order.
    std::vector<std::string> keys(std::string_view section) const;
    // Every section name once, in the spelling of its first header, in file order.
    std::vector<std::string> sections() const;

    // Replaces the value of the key's first entry in place, or adds the entry at the end of
    // the section, or adds the section at the end of the text. False, with nothing changed,
    // when the names or the value cannot be stored in an INI line (see the valid... tests).
    bool setValue(std::string_view section, std::string_view key, std::string_view value);
    // Removes every section of the name with all its lines.
    void eraseSection(std::string_view section);
    // Removes every entry of the key from the section that is read.
    void deleteKey(std::string_view section, std::string_view key);

    // Names are taken trimmed of blanks. A section name must not be empty nor hold ']' or a
    // line break; a key must not be empty, hold '=' or a line break, nor begin with '[', ';'
    // or '#'; a value must hold no line break.
    static bool validSectionName(std::string_view name);
    static bool validKeyName(std::string_view name);
    static bool validValue(std::string_view value);

  private:
    enum class Kind : std::uint8_t { other, section, entry };
    enum class End : std::uint8_t { none, lf, crlf };

    struct Line {
        std::string text;  // without its line end
        End end = End::none;
        Kind kind = Kind::other;
        std::string name;            // section or key name, trimmed
        std::size_t valueStart = 0;  // entries: where the value's text begins
    };

    struct Block {
        std::size_t header;  // index of the section line
        std::size_t end;     // one past the block's last line
    };

    static Line makeLine(std::string text, End end);
    // Where each section's first block and each key's first entry in it stand, built on the
    // first lookup after a change, so that reading many keys costs one pass over the lines
    // and not one pass per key.
    struct Index {
        std::unordered_map<std::string, Block> sections;       // lower-cased name
        std::unordered_map<std::string, std::size_t> entries;  // section '\n' key, lower-cased
    };
    const Index& index() const;

    std::optional<Block> firstBlock(std::string_view section) const;
    std::optional<std::size_t> findEntry(const Block& block, std::string_view key) const;
    void insertLine(std::size_t at, std::string text);
    End preferredEnd() const;

    std::vector<Line> m_lines;
    bool m_byteOrderMark = false;
    mutable std::optional<Index> m_index;  // dropped by every change of the lines
};

// Blanks around INI names and values: space, tab, CR, vertical tab and form feed.
std::string_view trimBlanks(std::string_view text);
bool equalNoCase(std::string_view a, std::string_view b);

}  // namespace quillon::inifile
