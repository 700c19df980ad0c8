// quillon-cli rip's names from the metadata sources and the name template: --metadata LIST,
// --release ID and --template T, over the sections Metadata, MusicBrainz and Naming of the
// settings file.
#pragma once

#include <optional>
#include <string>

#include "CliSupport.h"
#include "DiscMetadata.h"
#include "DiscSession.h"
#include "TrackList.h"

class TIniFile;

// The options this adds to rip.
inline const std::vector<std::string> kRipNamingOptions = {"--metadata", "--release", "--template"};

// Whether the names come this way: one of the options above is given, or --cddb with a
// template of the settings' own. Otherwise rip names its files as it always did (Track-NN, or
// the CDDB titles with --cddb).
bool ripNamesFromSources(const Arguments& arguments, const TIniFile& settings);

// Looks the open disc up in the sources (--metadata, or CDDB alone with --cddb, or those of
// the settings) and names the rows after the template. Several releases stop the run with
// their list unless --release picks one; a --release that no source has stops it too. Returns
// the names used, which the playlist takes.
DiscMetadata nameRipTracks(const Arguments& arguments, DiscSession& disc, TrackList& list,
                           OutputFormat format, const TIniFile& settings);

// The album's playlist after a finished rip; a failure to write it is reported, not fatal.
void writeRipPlaylist(const std::string& folder, const TrackList& list, const DiscMetadata& names,
                      const DiscSession& disc);
