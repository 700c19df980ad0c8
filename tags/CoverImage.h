// What a cover's bytes hold, told from the bytes themselves: a server's or a user's claimed
// type is not trusted, and a file that is neither a JPEG nor a PNG picture is not written into
// tags or saved as a cover, since players show nothing for it or refuse the whole tag.
#pragma once

#include "TrackTags.h"

enum class CoverKind { none, jpeg, png };

CoverKind coverKind(const CoverArt& cover);
// "image/jpeg", "image/png", or "" for none.
const char* coverMimeType(CoverKind kind);
// "jpg", "png", or "" for none.
const char* coverExtension(CoverKind kind);
// The cover of the tags when it is a picture that can be written, else null.
const CoverArt* usableCover(const TrackTags& tags);
