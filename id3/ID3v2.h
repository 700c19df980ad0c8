// The ID3 version 2 tag at the start of an MP3 file: its seven text fields read from a tag of
// version 2.2, 2.3 or 2.4, written back as a version 2.3 tag in front of the file's audio
// data, or the tag removed. Texts are held as UTF-8. Saving keeps every other frame of the
// file's tag; a trailer tag at the end of the file is copied unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ID3Convert.h"

class TID3v2 {
  public:
    TID3v2() = default;

    // Clears every field as on creation.
    void ResetData();

    // Fills the fields from the file's leading tag. False only when the file's first 10 bytes
    // cannot be read (the fields are then cleared); a file without a tag gives true with
    // Exists() false. Frames are read from tags of versions 2.2, 2.3 and 2.4.
    bool ReadFromFile(const std::string& fileName);
    // Writes the fields into the file's leading tag, which becomes a version 2.3 tag. The
    // fields whose value differs from the file's are written anew; every other frame of the
    // file's tag is kept in its place, unchanged or in its version 2.3 form. When a frame has
    // no version 2.3 form the file is not rewritten: false, with the frames' identifiers in
    // unkept. The file is replaced atomically: on false it is left as it was.
    bool SaveToFile(const std::string& fileName, std::vector<std::string>* unkept = nullptr) const;
    // Removes the file's leading tag; false also when the file has none or when its extent
    // cannot be told (the tag claims more bytes than the file has).
    bool RemoveFromFile(const std::string& fileName) const;

    bool Exists() const { return m_exists; }
    uint8_t VersionID() const { return m_versionID; }
    // Total tag size with the 10 header bytes; 0 when the header claims more than the file.
    int32_t Size() const { return m_size; }
    const std::string& Title() const { return m_fields.title; }
    const std::string& Artist() const { return m_fields.artist; }
    const std::string& Album() const { return m_fields.album; }
    // 0 means no track number.
    uint8_t Track() const { return m_fields.track; }
    const std::string& Year() const { return m_fields.year; }
    const std::string& Genre() const { return m_fields.genre; }
    const std::string& Comment() const { return m_fields.comment; }

    // The text setters drop trailing characters of code 32 or below (blanks and control
    // characters); leading ones are kept.
    void SetTitle(const std::string& value);
    void SetArtist(const std::string& value);
    void SetAlbum(const std::string& value);
    void SetTrack(uint8_t value) { m_fields.track = value; }
    void SetYear(const std::string& value);
    void SetGenre(const std::string& value);
    void SetComment(const std::string& value);

  private:
    bool m_exists = false;
    uint8_t m_versionID = 0;
    int32_t m_size = 0;
    TID3Fields m_fields;
};

// Why a save refused to rewrite the file, for the user: the frames of the file's tag that a
// version 2.3 tag cannot hold unchanged in meaning.
std::string describeUnkept(const std::vector<std::string>& unkept);
