// Output file names from row names. Row names come from a CDDB server, the name template and
// the rename window; as file names they must stay inside the output folder. A row name may
// hold folders ("Artist/Album/01 Title.ogg"): the template makes them, and every other name
// reaches the list with '/' already replaced.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The name without the blanks (and control characters) at either end.
std::string trimmedName(std::string_view name);

// The name as one path component: '/' and NUL become '_', and a name of "." or ".." becomes
// "_" or "__". Everything else is kept as it is.
std::string safeFileName(std::string_view name);

// The row name's components, each trimmed and safe; empty components go.
std::vector<std::string> outputComponents(std::string_view rowName);

// folder + "/" + the row name's components, each trimmed and safe; empty components go. The
// folders the row name holds are made below folder, so that the file can be written.
std::string outputPath(const std::string& folder, std::string_view rowName);

// A name as the list's rows hold it: '/' and NUL replaced, as one file name.
std::string flatRowName(std::string_view name);
