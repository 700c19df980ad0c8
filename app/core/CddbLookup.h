// The CDDB lookup behind the CD information window: it rebuilds the track list from the disc,
// asks the CDDB server for the disc and names the rows after the track titles.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "DiscSession.h"
#include "RipSettings.h"
#include "TrackList.h"

// The values of the CD information window.
struct CdInfo {
    std::string id;
    std::string artist;
    std::string title;
    std::string type;
};

struct CddbLookupResult {
    enum class Outcome {
        noHandle,      // status "Cann't get CD Information from CDDB!"
        noToc,         // status "Error to get TOC!"
        noServerList,  // status "Can't got CDDB server list"
        noMatch,       // status "No record in CDDB!"; unknown values with the local disc ID
        noEntry,       // message box "Error while getting DiskInfo!"
        named,         // the rows carry the track titles
    };
    Outcome outcome = Outcome::noHandle;
    // For NoMatch and Named; otherwise the window keeps the values it shows.
    std::optional<CdInfo> info;
    // The message box to show, if any.
    std::string message;
};

inline constexpr const char* kCddbCgiPath = "/~cddb/cddb.cgi";
inline constexpr const char* kCddbClientName = "program 1.0";

// Runs the whole lookup. Each status line text goes to `status` when it is shown, so that the
// window can paint it while the network is asked.
CddbLookupResult cddbLookup(DiscSession& disc, TrackList& list, OutputFormat format,
                            const CddbSettings& settings,
                            const std::function<void(const std::string&)>& status);
