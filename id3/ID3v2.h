// The ID3 version 2 tag at the start of an MP3 file: read into seven text fields, written
// back as a fresh version 2.3 tag in front of the file's audio data, or removed. Texts are
// held as UTF-8. Only the seven known frames are kept; a trailer tag at the end of the file
// is copied unchanged.
#pragma once

#include <cstdint>
#include <string>

class TID3v2 {
  public:
    TID3v2() = default;

    // Clears every field as on creation.
    void ResetData();

    // Fills the fields from the file's leading tag. False only when the file's first 10 bytes
    // cannot be read (the fields are then cleared); a file without a tag gives true with
    // Exists() false. Frames are read only from version 2.3 tags.
    bool ReadFromFile(const std::string& fileName);
    // Writes the fields as the file's new leading tag, replacing any old one. The file is
    // replaced atomically: on false it is left as it was.
    bool SaveToFile(const std::string& fileName) const;
    // Removes the file's leading tag; false also when the file has none or when its extent
    // cannot be told (the tag claims more bytes than the file has).
    bool RemoveFromFile(const std::string& fileName) const;

    bool Exists() const { return m_exists; }
    uint8_t VersionID() const { return m_versionID; }
    // Total tag size with the 10 header bytes; 0 when the header claims more than the file.
    int32_t Size() const { return m_size; }
    const std::string& Title() const { return m_title; }
    const std::string& Artist() const { return m_artist; }
    const std::string& Album() const { return m_album; }
    // 0 means no track number.
    uint8_t Track() const { return m_track; }
    const std::string& Year() const { return m_year; }
    const std::string& Genre() const { return m_genre; }
    const std::string& Comment() const { return m_comment; }

    // The text setters drop trailing characters of code 32 or below (blanks and control
    // characters); leading ones are kept.
    void SetTitle(const std::string& value);
    void SetArtist(const std::string& value);
    void SetAlbum(const std::string& value);
    void SetTrack(uint8_t value) { m_track = value; }
    void SetYear(const std::string& value);
    void SetGenre(const std::string& value);
    void SetComment(const std::string& value);

  private:
    bool m_exists = false;
    uint8_t m_versionID = 0;
    int32_t m_size = 0;
    std::string m_title;
    std::string m_artist;
    std::string m_album;
    uint8_t m_track = 0;
    std::string m_year;
    std::string m_genre;
    std::string m_comment;
};
