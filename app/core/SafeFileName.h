// Output file names from row names. Row names come from a CDDB server and from the rename
// window; as file names they must stay inside the output folder.
#pragma once

#include <string>
#include <string_view>

// The name without the blanks (and control characters) at either end.
std::string trimmedName(std::string_view name);

// The name as one path component: '/' and NUL become '_', and a name of "." or ".." becomes
// "_" or "__". Everything else is kept as it is.
std::string safeFileName(std::string_view name);

// folder + "/" + the trimmed, safe row name.
std::string outputPath(const std::string& folder, std::string_view rowName);
