#include "TrackList.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "RipUtility.h"
#include "SafeFileName.h"

std::string_view formatExtension(OutputFormat format) {
    switch (format) {
        case OutputFormat::mp3:
            return ".mp3";
        case OutputFormat::wav:
            return ".wav";
        case OutputFormat::flac:
            return ".flac";
        case OutputFormat::opus:
            return ".opus";
        case OutputFormat::ogg:
            break;
    }
    return ".ogg";
}

std::string_view formatSwitchSuffix(OutputFormat format) {
    switch (format) {
        case OutputFormat::mp3:
            return "mp3";
        case OutputFormat::wav:
            return "wav";
        case OutputFormat::flac:
            return "flac";
        case OutputFormat::opus:
            return "opus";
        case OutputFormat::ogg:
            break;
    }
    return "Ogg";
}

std::string lengthText(std::int64_t frames) {
    char text[48];
    std::snprintf(text, sizeof text, "%.2lld:%.2lld,%.2lld", static_cast<long long>(frames / 4500),
                  static_cast<long long>((frames / 75) % 60), static_cast<long long>(frames % 75));
    return text;
}

std::string sizeText(std::int64_t frames) {
    char text[48];
    std::snprintf(text, sizeof text, "%8.2f M",
                  static_cast<double>(frames) * kCdFrameBytes / 1024 / 1024);
    return text;
}

bool TrackList::anyChecked() const {
    return std::any_of(m_rows.begin(), m_rows.end(), [](const TrackRow& r) { return r.checked; });
}

void TrackList::buildFromToc(const CdToc& toc, OutputFormat format) {
    m_rows.clear();
    const int tracks = tocTrackCount(toc);
    for (int position = 0; position < tracks; ++position) {
        const int number = toc.firstTrack + position;
        const std::int64_t frames =
            std::int64_t{tocAddress(toc, position + 1)} - std::int64_t{tocAddress(toc, position)};
        char caption[16];
        std::snprintf(caption, sizeof caption, "%.2d", number);
        TrackRow row;
        row.caption = caption;
        row.name = "Track-" + row.caption + std::string(formatExtension(format));
        row.length = lengthText(frames);
        row.size = sizeText(frames);
        row.frames = static_cast<std::int32_t>(frames);
        row.checked = true;
        m_rows.push_back(std::move(row));
    }
}

namespace {

// How many characters a format switch cuts from the end of a name: the old rule's three,
// or four for the two extensions of four letters.
std::size_t switchCut(const std::string& name) {
    for (const std::string_view extension :
         {std::string_view(".flac"), std::string_view(".opus")}) {
        if (name.size() < extension.size()) continue;
        const std::size_t at = name.size() - extension.size();
        bool same = true;
        for (std::size_t i = 0; i < extension.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(name[at + i])) == extension[i];
        if (same) return extension.size() - 1;
    }
    return std::min<std::size_t>(name.size(), 3);
}

bool longExtension(std::string_view name) {
    return switchCut(std::string(name)) == 4;
}

}  // namespace

void TrackList::switchFormat(OutputFormat format) {
    for (TrackRow& row : m_rows) {
        row.name.resize(row.name.size() - switchCut(row.name));
        row.name += formatSwitchSuffix(format);
    }
}

void TrackList::checkAll() {
    for (TrackRow& row : m_rows)
        row.checked = true;
}

void TrackList::invertChecks() {
    for (TrackRow& row : m_rows)
        row.checked = !row.checked;
}

std::string TrackList::renameEditText(std::string_view name) {
    const std::size_t slash = name.rfind('/');
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    const std::size_t cut = longExtension(name) ? 5 : 4;
    return std::string(name.substr(0, name.size() - std::min<std::size_t>(name.size(), cut)));
}

void TrackList::rename(std::size_t index, std::string_view editText, OutputFormat format) {
    std::string& name = row(index).name;
    const std::size_t slash = name.rfind('/');
    const std::string folders = slash == std::string::npos ? "" : name.substr(0, slash + 1);
    name = folders + flatRowName(editText) + std::string(formatExtension(format));
}
