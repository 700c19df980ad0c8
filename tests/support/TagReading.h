// Tags read back from sound files by mutagen, the tag library that players and taggers use,
// through read_tags.py beside this file; and the cover pictures the tag tests write.
#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "RunCommand.h"
#include "TestFiles.h"
#include "TrackTags.h"

// The lines read_tags.py prints for file, the pictures compared with coverFile ("-": none);
// one line "failed: ..." when it could not read the file.
inline std::vector<std::string> mutagenTags(const std::string& file,
                                            const std::string& coverFile = "-") {
    const CommandResult result = runCommand("/usr/bin/python3 " + shellQuote(QUILLON_READ_TAGS) +
                                            " " + shellQuote(file) + " " + shellQuote(coverFile));
    if (result.status != 0) return {"failed: " + result.output};
    std::vector<std::string> lines;
    std::istringstream text(result.output);
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

// A cover picture of tests/data/tags ("front.png", "front.jpg"), and its path.
inline std::string coverPath(const std::string& name) {
    return std::string(QUILLON_TEST_COVERS) + "/" + name;
}
inline std::shared_ptr<const CoverArt> coverFile(const std::string& name, const std::string& mime) {
    auto cover = std::make_shared<CoverArt>();
    cover->mimeType = mime;
    cover->data = readBytes(coverPath(name));
    return cover;
}
