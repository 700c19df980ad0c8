// The main window's track list as data: one row per audio track with its caption, output file
// name, length, size, frame count and check mark. The window shows the rows; the rename and
// CD information windows and the rip job change them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "AKRip32.h"

enum class OutputFormat { mp3, wav, ogg, flac, opus };

// ".mp3", ".wav", ".ogg", ".flac" or ".opus": the extension a built, looked-up or renamed row gets.
std::string_view formatExtension(OutputFormat format);
// "mp3", "wav", "Ogg", "flac" or "opus": what a format switch puts in place of a name's extension.
std::string_view formatSwitchSuffix(OutputFormat format);

// "%.2d:%.2d,%.2d": minutes, seconds and frames (1/75 s) of a length in frames.
std::string lengthText(std::int64_t frames);
// "%8.2f M": the raw audio size in MiB.
std::string sizeText(std::int64_t frames);

struct TrackRow {
    std::string caption;  // the track number, two digits
    std::string name;     // output file name with its extension
    std::string length;
    std::string size;
    std::int32_t frames = 0;  // the hidden frame count the rip job reads
    bool checked = true;
};

class TrackList {
  public:
    const std::vector<TrackRow>& rows() const { return m_rows; }
    std::size_t size() const { return m_rows.size(); }
    bool empty() const { return m_rows.empty(); }
    TrackRow& row(std::size_t index) { return m_rows.at(index); }
    const TrackRow& row(std::size_t index) const { return m_rows.at(index); }
    bool anyChecked() const;

    void clear() { m_rows.clear(); }
    // One checked row per track of the table of contents, named "Track-NN" plus the format's
    // extension. Row k describes the track at table position k, whatever its number.
    void buildFromToc(const CdToc& toc, OutputFormat format);
    // Every name loses its last three characters and gets the format's switch suffix; a name
    // ending in ".flac" or ".opus" (any case) loses four, so that its dot stays and no stray
    // letter is left behind.
    void switchFormat(OutputFormat format);

    // Select All sets every check mark; Unselect All inverts them.
    void checkAll();
    void invertChecks();

    // The rename window: the edit shows the file name without its folders and its last four
    // characters (five for ".flac" and ".opus"), and "OK" stores the edit text with the format's
    // extension in the same folders. The text is one file name ('/' becomes '_', as it always did
    // on disk); the rest is made safe where files are written.
    static std::string renameEditText(std::string_view name);
    void rename(std::size_t index, std::string_view editText, OutputFormat format);

  private:
    std::vector<TrackRow> m_rows;
};
