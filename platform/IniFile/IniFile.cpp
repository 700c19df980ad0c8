#include "IniFile.h"

#include <charconv>
#include <filesystem>

namespace inifile = quillon::inifile;
using inifile::IniDocument;

TIniFile::TIniFile(std::string fileName) : m_fileName(std::move(fileName)) {
    refresh(true);
}

TIniFile TIniFile::FromText(std::string_view text) {
    TIniFile file;
    file.m_inMemory = true;
    file.m_document = IniDocument::parse(text);
    return file;
}

bool TIniFile::refresh(bool force) const {
    if (inMemory()) return true;
    if (!force && inifile::stampOf(m_fileName) == m_stamp) return true;
    std::string text;
    inifile::FileStamp stamp;
    switch (inifile::readWholeFile(m_fileName, text, stamp, m_lastError)) {
        case inifile::ReadStatus::ok:
        case inifile::ReadStatus::missing:
            m_document = IniDocument::parse(text);
            m_stamp = stamp;
            return true;
        case inifile::ReadStatus::failed:
            break;
    }
    return false;
}

template <typename Edit>
bool TIniFile::modify(Edit edit) {
    if (!refresh(true)) return false;
    IniDocument changed = m_document;
    if (!edit(changed)) {
        m_lastError = "the name or the value cannot be stored in an INI file";
        return false;
    }
    if (inMemory()) {
        m_document = std::move(changed);
        return true;
    }
    const std::string text = changed.text();
    // Nothing to write when the file already holds this text (or, missing, would be empty).
    if (text == m_document.text()) return true;
    if (m_createFolders) {
        const std::filesystem::path folder = std::filesystem::path(m_fileName).parent_path();
        std::error_code error;
        if (!folder.empty() && !std::filesystem::create_directories(folder, error) && error) {
            m_lastError = "cannot create the folder " + folder.string() + ": " + error.message();
            return false;
        }
    }
    if (!inifile::replaceFile(m_fileName, text, m_lastError)) return false;
    m_document = std::move(changed);
    m_stamp = inifile::stampOf(m_fileName);
    return true;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident,
                                 std::string_view defaultValue) const {
    refresh(false);
    if (auto value = m_document.value(section, ident)) return std::move(*value);
    return std::string(defaultValue);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view ident,
                          int defaultValue) const {
    refresh(false);
    const auto value = m_document.value(section, ident);
    if (!value) return defaultValue;
    std::string_view text = inifile::trimBlanks(*value);
    // from_chars takes a minus sign but not a plus sign.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    int result = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return defaultValue;
    return result;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const {
    refresh(false);
    const auto value = m_document.value(section, ident);
    if (!value) return defaultValue;
    return *value != "False";
}

bool TIniFile::WriteString(std::string_view section, std::string_view ident,
                           std::string_view value) {
    return modify([&](IniDocument& document) { return document.setValue(section, ident, value); });
}

bool TIniFile::WriteInteger(std::string_view section, std::string_view ident, int value) {
    return WriteString(section, ident, std::to_string(value));
}

bool TIniFile::WriteBool(std::string_view section, std::string_view ident, bool value) {
    return WriteString(section, ident, value ? "True" : "False");
}

bool TIniFile::SectionExists(std::string_view section) const {
    refresh(false);
    return m_document.hasSection(section);
}

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) const {
    refresh(false);
    return m_document.value(section, ident).has_value();
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const {
    refresh(false);
    return m_document.keys(section);
}

std::vector<std::string> TIniFile::ReadSections() const {
    refresh(false);
    return m_document.sections();
}

bool TIniFile::EraseSection(std::string_view section) {
    return modify([&](IniDocument& document) {
        document.eraseSection(section);
        return true;
    });
}

bool TIniFile::DeleteKey(std::string_view section, std::string_view ident) {
    return modify([&](IniDocument& document) {
        document.deleteKey(section, ident);
        return true;
    });
}

std::string TIniFile::Text() const {
    refresh(false);
    return m_document.text();
}
