#include "ImageSheets.h"

#include <algorithm>
#include <cctype>

namespace quillon::cdrom {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

bool startsWord(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}
bool inWord(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

}  // namespace

bool cueDeclaresBigEndian(std::string_view sheet) {
    size_t lineStart = 0;
    while (lineStart < sheet.size()) {
        size_t lineEnd = sheet.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) lineEnd = sheet.size();
        std::string_view line = sheet.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;

        while (!line.empty() && isBlank(line.front()))
            line.remove_prefix(1);
        while (!line.empty() && isBlank(line.back()))
            line.remove_suffix(1);
        if (line.size() < 5 || !equalsIgnoringCase(line.substr(0, 4), "FILE") || !isBlank(line[4]))
            continue;
        // The file type is the last word, after the (possibly quoted) name. libcdio reads one
        // audio file, so the first FILE line decides.
        size_t typeStart = line.size();
        while (typeStart > 0 && !isBlank(line[typeStart - 1]))
            --typeStart;
        return equalsIgnoringCase(line.substr(typeStart), "MOTOROLA");
    }
    return false;
}

std::optional<std::string> prepareTocSheet(std::string_view sheet, std::string_view folder) {
    // The folder ends up inside a quoted name, which libcdio takes up to the next quote.
    const bool folderSafe =
        !folder.empty() && std::none_of(folder.begin(), folder.end(), [](char c) {
            return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
        });

    std::string result;
    result.reserve(sheet.size() + 256);
    bool nameExpected = false;  // after FILE, AUDIOFILE or DATAFILE
    size_t i = 0;
    while (i < sheet.size()) {
        const char c = sheet[i];
        if (c == '/' && i + 1 < sheet.size() && sheet[i + 1] == '/') {
            const size_t end = std::min(sheet.find('\n', i), sheet.size());
            result.append(sheet.substr(i, end - i));
            i = end;
        } else if (c == '"') {
            size_t end = i + 1;
            while (end < sheet.size() && sheet[end] != '"') {
                if (sheet[end] == '\\' && end + 1 < sheet.size()) ++end;
                ++end;
            }
            const std::string_view name = sheet.substr(i + 1, std::min(end, sheet.size()) - i - 1);
            if (nameExpected && (name.empty() || name.front() != '/')) {
                if (!folderSafe) return std::nullopt;
                result += '"';
                result.append(folder);
                if (folder.back() != '/') result += '/';
                result.append(name);
                result += '"';
            } else {
                result.append(sheet.substr(i, std::min(end + 1, sheet.size()) - i));
            }
            nameExpected = false;
            i = end + 1;
        } else if (startsWord(c)) {
            size_t end = i;
            while (end < sheet.size() && inWord(sheet[end]))
                ++end;
            const std::string_view word = sheet.substr(i, end - i);
            result.append(word);
            nameExpected = word == "FILE" || word == "AUDIOFILE" || word == "DATAFILE";
            i = end;
        } else {
            if (!isBlank(c)) nameExpected = false;
            result += c;
            ++i;
        }
    }
    return result;
}

}  // namespace quillon::cdrom
