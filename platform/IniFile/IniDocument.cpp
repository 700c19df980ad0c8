#include "IniDocument.h"

#include <algorithm>
#include <unordered_set>

namespace quillon::inifile {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowered(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = lowerAscii(c);
    return result;
}

// Names hold no line feed (lines end there), so it can join a section and a key into one.
std::string entryKey(std::string_view section, std::string_view key) {
    std::string result = lowered(section);
    result += '\n';
    result += lowered(key);
    return result;
}

// Each name once, in the spelling and order of its first occurrence, in one pass.
class FirstNames {
  public:
    void add(const std::string& name) {
        if (m_seen.insert(lowered(name)).second) m_names.push_back(name);
    }
    std::vector<std::string> take() { return std::move(m_names); }

  private:
    std::unordered_set<std::string> m_seen;
    std::vector<std::string> m_names;
};

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// A value that would lose its ends to trimming, or its own quotes to unquoting, is written in
// quotes.
std::string encodeValue(std::string_view value) {
    const bool quote =
        !value.empty() && (isBlank(value.front()) || isBlank(value.back()) ||
                           (value.size() >= 2 && value.front() == '"' && value.back() == '"'));
    if (!quote) return std::string(value);
    std::string out;
    out.reserve(value.size() + 2);
    out += '"';
    out += value;
    out += '"';
    return out;
}

std::string decodeValue(std::string_view raw) {
    raw = trimBlanks(raw);
    if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"')
        raw = raw.substr(1, raw.size() - 2);
    return std::string(raw);
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

IniDocument::Line IniDocument::makeLine(std::string text, End end) {
    Line line;
    line.text = std::move(text);
    line.end = end;
    const std::string_view view = line.text;
    const std::size_t first = view.find_first_not_of(" \t\r\v\f");
    if (first == std::string_view::npos) return line;
    const char lead = view[first];
    if (lead == '[') {
        const std::size_t close = view.find(']', first + 1);
        const std::size_t stop = close == std::string_view::npos ? view.size() : close;
        line.kind = Kind::section;
        line.name = trimBlanks(view.substr(first + 1, stop - first - 1));
        return line;
    }
    if (lead == ';' || lead == '#') return line;
    const std::size_t equals = view.find('=', first);
    if (equals == std::string_view::npos) return line;
    const std::string_view key = trimBlanks(view.substr(first, equals - first));
    if (key.empty()) return line;
    line.kind = Kind::entry;
    line.name = key;
    std::size_t start = equals + 1;
    while (start < view.size() && isBlank(view[start]))
        ++start;
    line.valueStart = start;
    return line;
}

IniDocument IniDocument::parse(std::string_view text) {
    IniDocument document;
    if (text.starts_with(kByteOrderMark)) {
        document.m_byteOrderMark = true;
        text.remove_prefix(kByteOrderMark.size());
    }
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        std::string_view body = text.substr(0, newline);
        End end = newline == std::string_view::npos ? End::none : End::lf;
        // A CR before the LF belongs to the line end. A lone CR elsewhere stays in the text,
        // where trimming takes it off names and values.
        if (end == End::lf && !body.empty() && body.back() == '\r') {
            body.remove_suffix(1);
            end = End::crlf;
        }
        document.m_lines.push_back(makeLine(std::string(body), end));
        if (newline == std::string_view::npos) break;
        text.remove_prefix(newline + 1);
    }
    return document;
}

std::string IniDocument::text() const {
    std::string out;
    if (m_byteOrderMark) out += kByteOrderMark;
    for (const Line& line : m_lines) {
        out += line.text;
        if (line.end == End::lf) out += '\n';
        if (line.end == End::crlf) out += "\r\n";
    }
    return out;
}

const IniDocument::Index& IniDocument::index() const {
    if (m_index) return *m_index;
    Index index;
    Block* open = nullptr;  // the first block of its name, while its lines are read
    std::string section;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if (line.kind == Kind::section) {
            if (open) open->end = i;
            open = nullptr;
            if (line.name.empty()) continue;
            section = lowered(line.name);
            const auto [at, added] = index.sections.try_emplace(section, Block{i, m_lines.size()});
            if (added) open = &at->second;
        } else if (line.kind == Kind::entry && open) {
            index.entries.try_emplace(entryKey(section, line.name), i);
        }
    }
    return m_index.emplace(std::move(index));
}

std::optional<IniDocument::Block> IniDocument::firstBlock(std::string_view section) const {
    section = trimBlanks(section);
    if (section.empty()) return std::nullopt;
    const Index& all = index();
    const auto at = all.sections.find(lowered(section));
    if (at == all.sections.end()) return std::nullopt;
    return at->second;
}

std::optional<std::size_t> IniDocument::findEntry(const Block& block, std::string_view key) const {
    key = trimBlanks(key);
    if (key.empty()) return std::nullopt;
    for (std::size_t i = block.header + 1; i < block.end; ++i) {
        if (m_lines[i].kind == Kind::entry && equalNoCase(m_lines[i].name, key)) return i;
    }
    return std::nullopt;
}

bool IniDocument::hasSection(std::string_view section) const {
    return firstBlock(section).has_value();
}

std::optional<std::string> IniDocument::value(std::string_view section,
                                              std::string_view key) const {
    section = trimBlanks(section);
    key = trimBlanks(key);
    if (section.empty() || key.empty()) return std::nullopt;
    const Index& all = index();
    const auto entry = all.entries.find(entryKey(section, key));
    if (entry == all.entries.end()) return std::nullopt;
    const Line& line = m_lines[entry->second];
    return decodeValue(std::string_view(line.text).substr(line.valueStart));
}

std::vector<std::string> IniDocument::keys(std::string_view section) const {
    FirstNames names;
    const auto block = firstBlock(section);
    if (!block) return {};
    for (std::size_t i = block->header + 1; i < block->end; ++i)
        if (m_lines[i].kind == Kind::entry) names.add(m_lines[i].name);
    return names.take();
}

std::vector<std::string> IniDocument::sections() const {
    FirstNames names;
    for (const Line& line : m_lines)
        if (line.kind == Kind::section && !line.name.empty()) names.add(line.name);
    return names.take();
}

IniDocument::End IniDocument::preferredEnd() const {
    for (const Line& line : m_lines) {
        if (line.end != End::none) return line.end;
    }
    return End::lf;
}

// Inserts a line before index at. Every line gets a line end, and so does the line before it
// if it was the last one without.
void IniDocument::insertLine(std::size_t at, std::string text) {
    m_index.reset();
    const End end = preferredEnd();
    if (at > 0 && m_lines[at - 1].end == End::none) m_lines[at - 1].end = end;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at),
                   makeLine(std::move(text), end));
}

bool IniDocument::setValue(std::string_view section, std::string_view key, std::string_view value) {
    section = trimBlanks(section);
    key = trimBlanks(key);
    if (!validSectionName(section) || !validKeyName(key) || !validValue(value)) return false;
    const std::string encoded = encodeValue(value);

    const auto block = firstBlock(section);
    if (!block) {
        if (!m_lines.empty() && !trimBlanks(m_lines.back().text).empty())
            insertLine(m_lines.size(), "");
        insertLine(m_lines.size(), "[" + std::string(section) + "]");
        insertLine(m_lines.size(), std::string(key) + "=" + encoded);
        return true;
    }
    if (const auto entry = findEntry(*block, key)) {
        Line& line = m_lines[*entry];
        line.text = line.text.substr(0, line.valueStart) + encoded;
        return true;
    }
    // After the section's last line of content, so that blank lines and comments that lead
    // into the next section stay with it.
    std::size_t at = block->header + 1;
    for (std::size_t i = block->header + 1; i < block->end; ++i) {
        const std::string_view text = trimBlanks(m_lines[i].text);
        if (!text.empty() && text.front() != ';' && text.front() != '#') at = i + 1;
    }
    insertLine(at, std::string(key) + "=" + encoded);
    return true;
}

void IniDocument::eraseSection(std::string_view section) {
    while (const auto block = firstBlock(section)) {
        m_index.reset();
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(block->header),
                      m_lines.begin() + static_cast<std::ptrdiff_t>(block->end));
    }
}

void IniDocument::deleteKey(std::string_view section, std::string_view key) {
    auto block = firstBlock(section);
    while (block) {
        const auto entry = findEntry(*block, key);
        if (!entry) break;
        m_index.reset();
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*entry));
        --block->end;
    }
}

bool IniDocument::validSectionName(std::string_view name) {
    name = trimBlanks(name);
    return !name.empty() && name.find(']') == std::string_view::npos && !hasLineBreak(name);
}

bool IniDocument::validKeyName(std::string_view name) {
    name = trimBlanks(name);
    return !name.empty() && name.find('=') == std::string_view::npos && !hasLineBreak(name) &&
           name.front() != '[' && name.front() != ';' && name.front() != '#';
}

bool IniDocument::validValue(std::string_view value) {
    return !hasLineBreak(value);
}

}  // namespace quillon::inifile
