// The CD access API: drive list, drive handles, table of contents, raw audio reads and CDDB.
// Implemented by platform/cdrom (libcdio for drives and disc images, libcurl for CDDB).
//
// All records are plain fixed-size layouts; text fields are zero-terminated and never
// filled past their size. Functions answer 1 for success and 0 for failure unless noted.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Drives and handles ----------------------------------------------------------------

// An open drive; 0 means none.
using CdHandle = std::uint32_t;

constexpr int kCdMaxDrives = 8;
constexpr std::size_t kCdDriveIdSize = 65;

struct CdDriveInfo {
    std::uint8_t hostAdapter;
    std::uint8_t target;
    std::uint8_t lun;
    char id[kCdDriveIdSize];  // vendor, model and revision, or the image's file name
};
static_assert(sizeof(CdDriveInfo) == 68);

struct CdDriveList {
    std::uint8_t capacity;  // set by the caller: how many entries to fill, at most kCdMaxDrives
    std::uint8_t count;     // set by GetCDList
    CdDriveInfo drives[kCdMaxDrives];
};

// Fills the list with the machine's drives, then one drive per disc image in the user's disc
// folder ("discs" of the working directory when there is one, see UserPaths.h). Returns the number
// of drives listed (0 to the capacity). A drive keeps its address from one listing to the next for
// as long as it is there, so that a disc image added or removed in between does not give another
// drive its address.
int GetCDList(CdDriveList* list);

// The device node or disc image file of a drive that the last GetCDList listed: the drive's
// identity, which an address is only while the drive stays listed. Writes it zero-terminated
// into path (size bytes) and returns 1; returns 0 for a drive that listing did not show or a
// path that does not fit.
int GetCDDrivePath(const CdDriveInfo* drive, char* path, std::int32_t size);

constexpr std::uint8_t kCdOpenRequestSize = 12;
constexpr std::uint8_t kCdOpenRequestVersion = 1;

struct CdOpenRequest {
    std::uint8_t size;     // kCdOpenRequestSize
    std::uint8_t version;  // kCdOpenRequestVersion
    std::uint8_t hostAdapter;
    std::uint8_t target;
    std::uint8_t lun;
    std::uint8_t reserved[7];  // zero
};
static_assert(sizeof(CdOpenRequest) == 12);

// Opens the drive with the request's address, as listed by the last GetCDList. Fails (0) when the
// drive is unknown or holds no readable disc.
CdHandle GetCDHandle(const CdOpenRequest* request);

// The open request for a drive of the list.
inline CdOpenRequest openRequestFor(const CdDriveInfo& drive) {
    CdOpenRequest request{};
    request.size = kCdOpenRequestSize;
    request.version = kCdOpenRequestVersion;
    request.hostAdapter = drive.hostAdapter;
    request.target = drive.target;
    request.lun = drive.lun;
    return request;
}
int CloseCDHandle(CdHandle handle);

// Parameter kCdParamTocAddress: 0 makes table-of-contents addresses frame numbers counted from 0
// (the default); 1 makes them minutes, seconds and frames in address bytes 1 to 3.
constexpr int kCdParamTocAddress = 36;
int ModifyCDParms(CdHandle handle, int parameter, std::uint32_t value);

// ---- Table of contents -----------------------------------------------------------------

constexpr std::uint8_t kCdLeadOutTrack = 0xAA;
constexpr std::uint8_t kCdDataTrackFlag = 0x04;  // in CdTocEntry::control
constexpr int kCdMaxTocEntries = 100;            // 99 tracks and the lead-out

struct CdTocEntry {
    std::uint8_t reserved;
    std::uint8_t control;      // ADR in the high nibble (1), control bits in the low one
    std::uint8_t trackNumber;  // kCdLeadOutTrack for the lead-out
    std::uint8_t reserved2;
    std::uint8_t address[4];  // start, most significant byte first
};
static_assert(sizeof(CdTocEntry) == 8);

struct CdToc {
    std::uint8_t length[2];  // bytes that follow this field, most significant first
    std::uint8_t firstTrack;
    std::uint8_t lastTrack;
    CdTocEntry entries[kCdMaxTocEntries];  // first..last track, then the lead-out
};
static_assert(sizeof(CdToc) == 804);
static_assert(offsetof(CdToc, firstTrack) == 2 && offsetof(CdToc, entries) == 4);

int ReadTOC(CdHandle handle, CdToc* toc);

// ---- Raw audio -------------------------------------------------------------------------

constexpr std::uint32_t kCdFrameBytes = 2352;
constexpr std::uint32_t kCdMaxReadFrames = 25;

enum : std::uint32_t {
    kCdReadDone = 1,        // every requested frame was delivered
    kCdReadFailed = 2,      // the drive or image could not deliver the frames
    kCdReadBadRequest = 3,  // unknown handle, too many frames, too small a buffer, past the end
};

// The head of a read buffer; `capacity` bytes of data area follow it in the same allocation.
struct CdReadBuffer {
    std::uint32_t startFrame;  // set by the caller
    std::uint32_t
        frameCount;           // set by the caller (at most kCdMaxReadFrames); frames read on return
    std::uint32_t capacity;   // set by the caller: bytes of data area
    std::uint32_t byteCount;  // bytes delivered
    std::uint32_t status;     // kCdRead...
    std::uint32_t dataOffset;  // where the audio starts in the data area
};
static_assert(sizeof(CdReadBuffer) == 24);

inline std::uint8_t* CdReadBufferData(CdReadBuffer* buffer) {
    return reinterpret_cast<std::uint8_t*>(buffer) + sizeof(CdReadBuffer);
}

// Reads frameCount frames from startFrame as 16-bit little-endian stereo samples. Returns 1 when
// all of them were delivered. On failure nothing counts as delivered: byteCount and frameCount
// are 0, so a caller must check the result rather than advance by the frame count.
int ReadCDAudioLBA(CdHandle handle, CdReadBuffer* buffer);

// ---- CDDB ------------------------------------------------------------------------------

enum : int {
    kCddbOptionServer = 0,      // host, optionally ":port"; default gnudb.gnudb.org
    kCddbOptionClientName = 3,  // client name and version, separated by a blank
    kCddbOptionEmail = 4,       // the user's e-mail address, sent in the greeting
    kCddbOptionCgiPath = 6,     // path of the cddb.cgi script; default "/~cddb/cddb.cgi"
};

// option, text, value (unused, 0). Returns 0 for an unknown option.
int CDDBSetOption(int option, const char* text, int value);

struct CddbSite {
    char host[81];
    char protocol[9];
    char port[6];
    char path[81];
    char latitude[9];
    char longitude[9];
    char description[81];
};
static_assert(sizeof(CddbSite) == 276);

struct CddbSiteList {
    std::int32_t capacity;  // records the caller provides at `sites`
    std::int32_t count;     // records filled
    CddbSite* sites;
};

// Asks the server for its list of sites; 1 when the server answered as a CDDB server does.
int CDDBGetServerList(CddbSiteList* list);

struct CddbMatch {
    char category[12];
    char discId[9];
    char artist[81];
    char title[81];
};
static_assert(sizeof(CddbMatch) == 183);

struct CddbQuery {
    std::int32_t capacity;  // records the caller provides at `matches`
    std::int32_t count;     // records filled
    CddbMatch* matches;
};

// Looks up the disc in the open drive. Returns the number of matches stored (at most the
// capacity; an inexact or multiple answer stores them in the server's order), 0 when the server
// knows no such disc, -1 when the lookup failed (bad handle, network, malformed answer).
int CDDBQuery(CdHandle handle, CddbQuery* query);

// Fetches the match's entry text into text (size bytes with the terminating zero): the lines as
// the server sent them, each ended by a carriage return, except that a field the entry continues
// over several lines with the same key comes as one line holding the joined value. A text longer
// than the buffer keeps only the whole lines that fit. Returns 1 on success.
int CDDBGetDiskInfo(const CddbMatch* match, char* text, std::int32_t size);
