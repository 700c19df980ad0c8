#include "SourceTags.h"

#include <FLAC/metadata.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <vector>

#include "CommentReading.h"
#include "ID3TrackRead.h"

namespace {

std::string lowerExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

TrackTags vorbisTags(const std::string& path) {
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) return {};
    std::vector<std::string_view> entries;
    if (const vorbis_comment* comment = ov_comment(&file, -1)) {
        const auto count = static_cast<std::size_t>(std::max(comment->comments, 0));
        for (std::size_t i = 0; i < count && i < kMaxCommentCount; ++i)
            if (comment->user_comments[i] && comment->comment_lengths[i] > 0)
                entries.emplace_back(comment->user_comments[i],
                                     static_cast<std::size_t>(comment->comment_lengths[i]));
    }
    TrackTags tags = trackTagsFromComments(entries);
    ov_clear(&file);
    return tags;
}

void readFlacComments(TrackTags& tags, const FLAC__StreamMetadata_VorbisComment& block) {
    std::vector<std::string_view> entries;
    for (FLAC__uint32 i = 0; i < block.num_comments && i < kMaxCommentCount; ++i) {
        const FLAC__StreamMetadata_VorbisComment_Entry& entry = block.comments[i];
        if (entry.entry && entry.length > 0)
            entries.emplace_back(reinterpret_cast<const char*>(entry.entry), entry.length);
    }
    TrackTags read = trackTagsFromComments(entries);
    // A PICTURE block met before the comments is the better cover than a picture comment.
    if (tags.cover) read.cover = tags.cover;
    tags = std::move(read);
}

TrackTags flacTags(const std::string& path) {
    TrackTags tags;
    bool haveFront = false, haveComments = false;
    FLAC__Metadata_SimpleIterator* it = FLAC__metadata_simple_iterator_new();
    if (!it) return tags;
    if (FLAC__metadata_simple_iterator_init(it, path.c_str(), true, false)) {
        do {
            const FLAC__MetadataType type = FLAC__metadata_simple_iterator_get_block_type(it);
            // Blocks are at most 16 MB by the format's 24-bit length; pictures past the
            // cover limit are passed over before their block is read.
            if (type == FLAC__METADATA_TYPE_VORBIS_COMMENT && !haveComments) {
                if (FLAC__StreamMetadata* block = FLAC__metadata_simple_iterator_get_block(it)) {
                    readFlacComments(tags, block->data.vorbis_comment);
                    haveComments = true;
                    FLAC__metadata_object_delete(block);
                }
            } else if (type == FLAC__METADATA_TYPE_PICTURE && !haveFront &&
                       FLAC__metadata_simple_iterator_get_block_length(it) <=
                           kMaxCoverBytes + 4096) {
                if (FLAC__StreamMetadata* block = FLAC__metadata_simple_iterator_get_block(it)) {
                    const FLAC__StreamMetadata_Picture& p = block->data.picture;
                    ParsedPicture picture;
                    picture.type = static_cast<std::uint32_t>(p.type);
                    if (p.data && p.data_length > 0 && p.data_length <= kMaxCoverBytes) {
                        auto cover = std::make_shared<CoverArt>();
                        cover->mimeType = cleanUtf8(p.mime_type ? p.mime_type : "");
                        cover->data.assign(p.data, p.data + p.data_length);
                        picture.cover = std::move(cover);
                    }
                    offerCover(tags, haveFront, picture);
                    FLAC__metadata_object_delete(block);
                }
            }
        } while (FLAC__metadata_simple_iterator_next(it));
    }
    FLAC__metadata_simple_iterator_delete(it);
    return tags;
}

}  // namespace

TrackTags readSourceTags(const std::string& path) {
    try {
        const std::string type = lowerExtension(path);
        if (type == ".mp3") return readId3TrackTags(path);
        if (type == ".ogg") return vorbisTags(path);
        if (type == ".flac") return flacTags(path);
    } catch (...) {  // out of memory: the output goes without tags
    }
    return {};
}
