#include "Playlist.h"

#include <filesystem>
#include <fstream>

#include "NamingTemplate.h"
#include "SafeFileName.h"

namespace {

std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

bool writeWhole(const std::filesystem::path& path, const std::string& text) {
    std::error_code made;
    std::filesystem::create_directories(path.parent_path(), made);
    const std::filesystem::path temporary = path.string() + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::error_code error;
            std::filesystem::remove(temporary, error);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) std::filesystem::remove(temporary, error);
    return !error;
}

}  // namespace

std::string playlistText(const std::vector<PlaylistEntry>& entries) {
    std::string text = "#EXTM3U\n";
    for (const PlaylistEntry& entry : entries) {
        if (entry.path.empty() || entry.path.find_first_of("\r\n") != std::string::npos) continue;
        text += "#EXTINF:" + std::to_string(entry.seconds) + "," + oneLine(entry.artist) + " - " +
                oneLine(entry.title) + "\n";
        // A line starting with '#' would be read as a comment.
        text += (entry.path.front() == '#' ? "./" : "") + entry.path + "\n";
    }
    return text;
}

std::optional<std::string> writeAlbumPlaylist(const std::string& outputFolder,
                                              const TrackList& list, const DiscMetadata& disc,
                                              int firstTrack) {
    std::vector<std::vector<std::string>> files;
    std::vector<std::size_t> positions;
    for (std::size_t position = 0; position < list.size(); ++position) {
        if (!list.row(position).checked) continue;
        files.push_back(outputComponents(list.row(position).name));
        positions.push_back(position);
    }
    if (files.empty()) return std::nullopt;
    for (const auto& file : files)
        if (file.empty()) return std::nullopt;  // a row without a name made no file
    // The folders every file shares: the album's folder.
    std::size_t shared = files.front().size() - 1;
    for (const auto& file : files) {
        std::size_t same = 0;
        while (same < shared && same + 1 < file.size() && file[same] == files.front()[same])
            ++same;
        shared = same;
    }
    std::filesystem::path folder = outputFolder;
    for (std::size_t i = 0; i < shared; ++i)
        folder /= files.front()[i];

    std::vector<PlaylistEntry> entries;
    for (std::size_t i = 0; i < files.size(); ++i) {
        PlaylistEntry entry;
        for (std::size_t part = shared; part < files[i].size(); ++part)
            entry.path += (entry.path.empty() ? "" : "/") + files[i][part];
        const TrackRow& row = list.row(positions[i]);
        entry.seconds = (row.frames + 37) / 75;
        const NamingFields fields =
            namingFields(disc, positions[i], firstTrack + static_cast<int>(positions[i]));
        entry.artist = fields.artist;
        entry.title = fields.title;
        entries.push_back(std::move(entry));
    }
    const std::string name = namedPath("{album}", namingFields(disc, 0, firstTrack));
    const std::filesystem::path path =
        folder / ((disc.album.empty() ? std::string("playlist") : name) + ".m3u8");
    if (!writeWhole(path, playlistText(entries))) return std::nullopt;
    return path.string();
}
