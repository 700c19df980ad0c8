// An INI file: sections in brackets, key=value lines. Used for "settings.ini" and, read from
// memory, for the skin description.
//
// - Section and key names are matched without regard to ASCII case and without the blanks
//   around them. Where a section or a key stands twice, the first one is read.
// - Every value is text. A missing key gives the caller's default; a key with nothing after
//   its '=' gives the empty text.
// - Reads see the file as it is on disk: when it changed since it was last read (checked with
//   a stat), it is read again. A file that cannot be read leaves the last content in place.
// - Every write reads the file afresh, changes the one line concerned (or adds a line at the
//   end of the section, or a section at the end of the file) and puts the whole text on disk
//   at once by atomic replace (see IniStorage.h), so the file holds either the old or the new
//   content, never a mixture. Comments, blank lines, unknown lines, line ends and order stay
//   as they were. The first write creates a file that does not exist.
// - Writes report failure by returning false (the caller shows its message); the file is then
//   unchanged, as is what the object reads. A file that exists but cannot be read is never
//   written over, as that would lose the settings it holds. LastError() tells why.
// - Booleans are written "True" and "False". A stored boolean is false only when its text is
//   exactly "False"; any other text, "false" and "0" included, reads as true. This is the
//   rule every reader of the settings file applies.
//
// An object is used from one thread at a time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "IniDocument.h"
#include "IniStorage.h"

class TIniFile {
  public:
    // Reads the file if it exists; no failure is reported here (see LastError()).
    explicit TIniFile(std::string fileName);
    // INI text held in memory only: writes change the text, which Text() returns.
    static TIniFile FromText(std::string_view text);

    const std::string& FileName() const { return m_fileName; }
    // When set, a write makes the file's missing folders first (a settings file under the
    // user's configuration folder, whose first save may also be the folder's).
    void SetCreateFolders(bool create) { m_createFolders = create; }

    std::string ReadString(std::string_view section, std::string_view ident,
                           std::string_view defaultValue) const;
    // A decimal integer with an optional sign, blanks around it allowed; a value that is not
    // one, or is out of the int range, gives the default.
    int ReadInteger(std::string_view section, std::string_view ident, int defaultValue) const;
    bool ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const;

    // False when the file could not be written, or when the names or the value cannot be
    // stored in an INI line: a section name with ']', a key with '=' or starting with '[', ';'
    // or '#', empty names, a line break anywhere.
    bool WriteString(std::string_view section, std::string_view ident, std::string_view value);
    bool WriteInteger(std::string_view section, std::string_view ident, int value);
    bool WriteBool(std::string_view section, std::string_view ident, bool value);

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view ident) const;
    // The keys of a section in file order, each once.
    std::vector<std::string> ReadSection(std::string_view section) const;
    // The section names in file order, each once.
    std::vector<std::string> ReadSections() const;

    // Remove every section of the name, or every entry of the key in the section that is
    // read. True also when there was nothing to remove; false when the file could not be
    // written.
    bool EraseSection(std::string_view section);
    bool DeleteKey(std::string_view section, std::string_view ident);

    // The text as it stands in the file (or in memory).
    std::string Text() const;
    // Why the last failed read or write failed.
    const std::string& LastError() const { return m_lastError; }

  private:
    TIniFile() = default;

    bool inMemory() const { return m_inMemory; }
    // Reads the file again when it changed (always, when forced). False when it cannot be read.
    bool refresh(bool force) const;
    // Applies the edit to the file's current content and stores the result.
    template <typename Edit>
    bool modify(Edit edit);

    std::string m_fileName;
    bool m_inMemory = false;
    bool m_createFolders = false;
    mutable quillon::inifile::IniDocument m_document;
    mutable quillon::inifile::FileStamp m_stamp;
    mutable std::string m_lastError;
};
