// The INI reader and its in-place edits on arbitrary text: the text must come back unchanged,
// everything listed must be readable, and an edit must change only what it names.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "IniFile.h"

namespace inifile = quillon::inifile;

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_ini: %s\n", what);
        std::abort();
    }
}

using Values = std::map<std::pair<std::string, std::string>, std::string>;

// Every readable value, under the spelling the lists give.
Values allValues(const TIniFile& ini) {
    Values values;
    for (const std::string& section : ini.ReadSections()) {
        check(ini.SectionExists(section), "listed section not found");
        for (const std::string& key : ini.ReadSection(section)) {
            check(ini.ValueExists(section, key), "listed key not found");
            values[{section, key}] = ini.ReadString(section, key, "\x01missing");
        }
    }
    return values;
}

bool sameName(std::string_view a, std::string_view b) {
    return inifile::equalNoCase(inifile::trimBlanks(a), inifile::trimBlanks(b));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TIniFile ini = TIniFile::FromText(text);
    check(ini.Text() == text, "text not kept as it was");
    const Values before = allValues(ini);

    // Writes go to a section and key the text names, or to new ones.
    std::string section = "Fuzz";
    std::string key = "Key";
    if (!before.empty()) {
        const auto& first = before.begin()->first;
        section = first.first;
        if (size % 2 == 0) key = first.second;
    }
    const std::string value = size % 3 == 0 ? " padded \"value\" " : "plain=value;x";
    const bool storable =
        inifile::IniDocument::validSectionName(section) && inifile::IniDocument::validKeyName(key);
    check(ini.WriteString(section, key, value) == storable, "write result");
    if (storable) {
        check(ini.ReadString(section, key, "") == value, "written value not read back");
        const TIniFile reread = TIniFile::FromText(ini.Text());
        const Values after = allValues(reread);
        for (const auto& [name, old] : before) {
            if (sameName(name.first, section) && sameName(name.second, key)) continue;
            const auto found = after.find(name);
            check(found != after.end() && found->second == old, "other value changed");
        }
        check(reread.ReadString(section, key, "") == value, "value lost in the text");

        check(ini.DeleteKey(section, key), "delete failed");
        check(!ini.ValueExists(section, key), "deleted key still there");
        check(ini.EraseSection(section), "erase failed");
        check(!ini.SectionExists(section), "erased section still there");
    }
    return 0;
}
