#include "ImageDisc.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "CdText.h"
#include "CdioSupport.h"
#include "ImageSheets.h"

namespace quillon::cdrom {

namespace {

// A sheet is a few kilobytes; anything far larger is not one.
constexpr std::uintmax_t kMaxSheetBytes = 1 << 20;

std::string lowerExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

std::optional<std::string> readSheet(const std::filesystem::path& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > kMaxSheetBytes) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A CUE image's data file read directly: one pread into the caller's buffer instead of
// libcdio's buffered copy, which costs a second pass over every byte of a rip. Used only when
// the file maps frames one to one (its size is exactly the disc's), as single-file images do.
class DirectData {
  public:
    static std::unique_ptr<DirectData> open(const std::filesystem::path& sheet,
                                            std::int32_t leadOut) {
        std::filesystem::path data = sheet;
        data.replace_extension(".bin");
        std::error_code error;
        const auto size = std::filesystem::file_size(data, error);
        if (error || leadOut <= 0 || size != std::uintmax_t(leadOut) * CDIO_CD_FRAMESIZE_RAW)
            return nullptr;
        const int fd = ::open(data.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return nullptr;
        return std::unique_ptr<DirectData>(new DirectData(fd));
    }
    ~DirectData() { ::close(m_fd); }
    DirectData(const DirectData&) = delete;
    DirectData& operator=(const DirectData&) = delete;

    bool read(std::int32_t first, std::uint32_t count, std::uint8_t* out) const {
        const std::size_t wanted = std::size_t{count} * CDIO_CD_FRAMESIZE_RAW;
        off_t at = off_t{first} * CDIO_CD_FRAMESIZE_RAW;
        std::size_t done = 0;
        while (done < wanted) {
            const ssize_t got = ::pread(m_fd, out + done, wanted - done, at);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;  // an error, or the file shrank under us
            done += static_cast<std::size_t>(got);
            at += got;
        }
        return true;
    }

  private:
    explicit DirectData(int fd) : m_fd(fd) {}
    int m_fd;
};

class ImageDisc final : public Disc {
  public:
    ImageDisc(CdioPtr cdio, DiscLayout layout, bool bigEndian, std::unique_ptr<DirectData> direct)
        : Disc(std::move(layout)),
          m_cdio(std::move(cdio)),
          m_bigEndian(bigEndian),
          m_direct(std::move(direct)) {}

    bool readFrames(std::int32_t first, std::uint32_t count, std::uint8_t* out) override {
        if (m_direct) {
            if (!m_direct->read(first, count, out)) return false;
        } else if (cdio_read_audio_sectors(m_cdio.get(), out, first, count) != DRIVER_OP_SUCCESS) {
            return false;
        }
        // The image holds the file's bytes unchanged.
        if (m_bigEndian) swapSampleBytes(out, std::size_t{count} * CDIO_CD_FRAMESIZE_RAW);
        return true;
    }

    std::optional<DiscText> text() override { return readDiscText(m_cdio.get(), layout()); }

  private:
    CdioPtr m_cdio;
    bool m_bigEndian;
    std::unique_ptr<DirectData> m_direct;
};

// Removes the file when it goes out of scope.
class TemporaryFile {
  public:
    explicit TemporaryFile(std::string path) : m_path(std::move(path)) {}
    ~TemporaryFile() { ::unlink(m_path.c_str()); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& path() const { return m_path; }

  private:
    std::string m_path;
};

std::unique_ptr<TemporaryFile> writeTemporarySheet(const std::string& text) {
    std::error_code error;
    std::string pattern =
        (std::filesystem::temp_directory_path(error) / "quillon-sheet-XXXXXX.toc").string();
    if (error) return nullptr;
    const int fd = ::mkstemps(pattern.data(), 4);
    if (fd < 0) return nullptr;
    auto file = std::make_unique<TemporaryFile>(pattern);
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n <= 0) {
            ::close(fd);
            return nullptr;
        }
        written += static_cast<size_t>(n);
    }
    if (::close(fd) != 0) return nullptr;
    return file;
}

CdioPtr openTocImage(const std::filesystem::path& path, bool& bigEndian) {
    const auto sheet = readSheet(path);
    if (!sheet) return nullptr;
    std::error_code error;
    const auto folder = std::filesystem::absolute(path, error).parent_path();
    if (error) return nullptr;
    const auto prepared = prepareTocSheet(*sheet, folder.string());
    if (!prepared) return nullptr;
    // cdrdao takes raw audio files as big-endian samples.
    bigEndian = true;
    const auto copy = writeTemporarySheet(*prepared);
    if (!copy) return nullptr;
    // libcdio reads the sheet while opening and keeps the audio file names it found there.
    return CdioPtr(cdio_open_cdrdao(copy->path().c_str()));
}

}  // namespace

bool isDiscImageName(const std::filesystem::path& path) {
    const std::string extension = lowerExtension(path);
    return extension == ".cue" || extension == ".toc" || extension == ".nrg";
}

std::unique_ptr<Disc> openDiscImage(const std::filesystem::path& path) {
    quietCdioLogging();
    const std::string extension = lowerExtension(path);
    bool bigEndian = false;
    CdioPtr cdio;
    if (extension == ".cue") {
        const auto sheet = readSheet(path);
        if (!sheet) return nullptr;
        bigEndian = cueDeclaresBigEndian(*sheet);
        cdio.reset(cdio_open_cue(path.c_str()));
    } else if (extension == ".toc") {
        cdio = openTocImage(path, bigEndian);
    } else if (extension == ".nrg") {
        cdio.reset(cdio_open_nrg(path.c_str()));
    }
    if (!cdio) return nullptr;
    auto layout = readLayout(cdio.get());
    if (!layout) return nullptr;
    auto direct = extension == ".cue" ? DirectData::open(path, layout->leadOut) : nullptr;
    return std::make_unique<ImageDisc>(std::move(cdio), std::move(*layout), bigEndian,
                                       std::move(direct));
}

}  // namespace quillon::cdrom
