// quillon-cli tag: show, set or remove the ID3v2 tag at the start of an MP3 file, with the
// ID3 editor's messages.
#include <charconv>
#include <filesystem>
#include <iostream>

#include "CliSupport.h"
#include "ID3v2.h"

namespace {

bool fileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

int fail(const std::string& message, const std::string& path) {
    std::cerr << "quillon-cli: " << message << path << "\n";
    return 1;
}

void printField(const char* name, const std::string& value) {
    std::cout << name << ':' << (value.empty() ? "" : " ") << value << '\n';
}

// As in the editor: an empty text, 0 or a negative number mean no track number. A number
// above 255 does not fit the tag's track field and is refused.
uint8_t trackNumber(const std::string& text) {
    if (text.empty()) return 0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (*first == '+') ++first;
    long value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last || value > 255)
        throw UsageError("--track takes a whole number up to 255");
    return value <= 0 ? 0 : static_cast<uint8_t>(value);
}

int showTag(const std::string& path) {
    if (!fileExists(path)) return fail("The file does not exist: ", path);
    TID3v2 tag;
    if (!tag.ReadFromFile(path)) return fail("Can not read tag from the file: ", path);
    printField("Exists", tag.Exists() ? "Yes" : "No");
    const bool shown = tag.Exists();
    printField("Version", shown ? "2." + std::to_string(tag.VersionID()) : "");
    printField("Size", shown ? std::to_string(tag.Size()) + " bytes" : "");
    printField("Title", tag.Title());
    printField("Artist", tag.Artist());
    printField("Album", tag.Album());
    printField("Track", tag.Track() != 0 ? std::to_string(tag.Track()) : "");
    printField("Year", tag.Year());
    printField("Genre", tag.Genre());
    printField("Comment", tag.Comment());
    return 0;
}

int setTag(const std::string& path, const Arguments& args) {
    const uint8_t track = trackNumber(args.value("--track").value_or(""));
    const char* const message = "Can not save tag to the file: ";
    TID3v2 tag;
    if (!fileExists(path) || !tag.ReadFromFile(path)) return fail(message, path);
    if (auto value = args.value("--title")) tag.SetTitle(*value);
    if (auto value = args.value("--artist")) tag.SetArtist(*value);
    if (auto value = args.value("--album")) tag.SetAlbum(*value);
    if (args.has("--track")) tag.SetTrack(track);
    if (auto value = args.value("--year")) tag.SetYear(*value);
    if (auto value = args.value("--genre")) tag.SetGenre(*value);
    if (auto value = args.value("--comment")) tag.SetComment(*value);
    std::vector<std::string> unkept;
    if (!tag.SaveToFile(path, &unkept)) {
        if (!unkept.empty())
            std::cerr << "quillon-cli: " << message << path
                      << "\nquillon-cli: " << describeUnkept(unkept) << "\n";
        else
            fail(message, path);
        return 1;
    }
    return 0;
}

int removeTag(const std::string& path) {
    if (!fileExists(path) || !TID3v2().RemoveFromFile(path))
        return fail("Can not remove tag from the file: ", path);
    return 0;
}

}  // namespace

int tagCommand(const std::vector<std::string>& words) {
    const Arguments args(
        words, {"--title", "--artist", "--album", "--track", "--year", "--genre", "--comment"}, {});
    const std::vector<std::string>& positional = args.positional();
    const std::string action = positional.empty() ? "" : positional[0];
    if (positional.size() != 2 || (action != "show" && action != "set" && action != "remove"))
        throw UsageError("tag takes show, set or remove and a FILE");
    if (action != "set" && words.size() != 2)
        throw UsageError("tag " + action + " takes only FILE");
    const std::string& path = positional[1];
    if (action == "show") return showTag(path);
    if (action == "set") return setTag(path, args);
    return removeTag(path);
}
