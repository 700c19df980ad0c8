#include "ACS_Wave.h"

#include <cstdio>
#include <cstring>

namespace {

uint16_t get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t get32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
void put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}
bool isId(const uint8_t* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

// A 32-bit size field for a 64-bit size: unknown and too large both become 0xFFFFFFFF.
uint32_t sizeField(int64_t size) {
    if (size < 0 || size > 0xFFFFFFFFLL) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(size);
}

constexpr int kMaxChunks = 4096;
// The tail shared by the subformat GUIDs of extensible files.
constexpr uint8_t kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                   0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

}  // namespace

bool ParseWaveLayout(Stream& stream, WaveLayout& layout) {
    layout = WaveLayout{};
    const int64_t fileSize = stream.size();
    // A header alone, with no room for sound, is not taken as a WAV file.
    if (fileSize <= 44) return false;
    stream.seek(0, SEEK_SET);
    uint8_t riff[12];
    if (stream.read(riff, 12) != 12 || !isId(riff, "RIFF") || !isId(riff + 8, "WAVE")) return false;

    bool haveFormat = false;
    int64_t at = 12;
    for (int chunk = 0; chunk < kMaxChunks && at + 8 <= fileSize; ++chunk) {
        uint8_t head[8];
        stream.seek(at, SEEK_SET);
        if (stream.read(head, 8) != 8) return false;
        const int64_t size = get32(head + 4);
        const int64_t body = at + 8;
        if (isId(head, "fmt ")) {
            if (size < 16) return false;
            uint8_t fmt[40] = {};
            const int64_t want = std::min<int64_t>(size, 40);
            if (stream.read(fmt, want) != want) return false;
            layout.formatTag = get16(fmt);
            layout.channels = get16(fmt + 2);
            layout.sampleRate = static_cast<int>(std::min<uint32_t>(get32(fmt + 4), 0x7FFFFFFF));
            layout.blockAlign = get16(fmt + 12);
            layout.bitsPerSample = get16(fmt + 14);
            if (layout.formatTag == 0xFFFE && want >= 40 &&
                std::memcmp(fmt + 26, kGuidTail, sizeof kGuidTail) == 0)
                layout.formatTag = get16(fmt + 24);
            haveFormat = true;
        } else if (isId(head, "data")) {
            if (!haveFormat) return false;
            layout.dataOffset = body;
            const int64_t present = fileSize - body;
            // Writers that stream leave 0 or 0xFFFFFFFF here; a cut file holds less.
            layout.dataSize =
                (size == 0 || size == 0xFFFFFFFFLL || size > present) ? present : size;
            return true;
        }
        at = body + size + (size & 1);
    }
    return false;
}

uint32_t CheckWaveHeader(Stream& stream) {
    WaveLayout layout;
    return ParseWaveLayout(stream, layout) ? static_cast<uint32_t>(layout.formatTag) : 0;
}

void FillWaveHeader(TWaveHeader& header, int channels, int bits, int64_t dataSize, int sampleRate) {
    uint8_t* h = header.data();
    const uint32_t blockAlign = static_cast<uint16_t>((bits * channels) / 8);
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, dataSize > 0xFFFFFFFFLL - 36 ? 0xFFFFFFFFu : sizeField(dataSize) + 36u);
    std::memcpy(h + 8, "WAVE", 4);
    std::memcpy(h + 12, "fmt ", 4);
    put32(h + 16, 16);
    put16(h + 20, 1);
    put16(h + 22, static_cast<uint32_t>(channels));
    put32(h + 24, static_cast<uint32_t>(sampleRate));
    put32(h + 28, blockAlign * static_cast<uint32_t>(sampleRate));
    put16(h + 32, blockAlign);
    put16(h + 34, static_cast<uint32_t>(bits));
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, sizeField(dataSize));
}

void WriteCdWaveHeader(Stream& stream, int64_t dataSize) {
    TWaveHeader header;
    FillWaveHeader(header, 2, 16, dataSize, 44100);
    stream.write(header.data(), header.size());
}

// ---- TWaveIn -------------------------------------------------------------------------

TWaveIn::~TWaveIn() = default;

void TWaveIn::OpenFile() {
    std::lock_guard lock(m_openLock);
    m_valid = true;
    if (m_openCount == 0) {
        auto file = std::make_unique<FileStream>(m_fileName, FileStream::Mode::read);
        WaveLayout layout;
        const bool parsed = ParseWaveLayout(*file, layout);
        m_formatTag = parsed ? layout.formatTag : 0;
        if (m_formatTag != 1) {
            reject("The file \"" + m_fileName + "\" is not a PCM WAV file");
            return;
        }
        if (layout.channels == 0 || layout.sampleRate == 0 || layout.bitsPerSample == 0 ||
            layout.bitsPerSample > 32) {
            reject("The file \"" + m_fileName + "\" has a damaged format description");
            return;
        }
        m_size = layout.dataSize;
        m_sampleRate = layout.sampleRate;
        m_bitsPerSample = layout.bitsPerSample;
        m_channels = layout.channels;
        m_blockAlign = std::max(1, layout.channels * ((layout.bitsPerSample + 7) / 8));
        m_dataOffset = layout.dataOffset;
        file->seek(m_dataOffset, SEEK_SET);
        m_dataRead = 0;
        m_file = std::move(file);
    }
    ++m_openCount;
}

void TWaveIn::CloseFile() {
    std::lock_guard lock(m_openLock);
    if (m_openCount == 1) m_file.reset();
    if (m_openCount > 0) --m_openCount;
}

int TWaveIn::ReadData(void* buffer, int count) {
    return deliverFromBlock(m_block.data(), buffer, count, [this] { return refill(); });
}

int64_t TWaveIn::readBlock() {
    if (!m_file) return 0;
    const int64_t left = std::max<int64_t>(Size() - m_dataRead, 0);
    const int64_t got = m_file->read(m_block.data(), std::min<int64_t>(left, m_block.size()));
    m_dataRead += got;
    return got;
}

void TWaveIn::restartLoop() {
    Flush();
    Init();
    // The file stays open when someone else holds it; start its data again all the same.
    m_file->seek(m_dataOffset, SEEK_SET);
    m_dataRead = 0;
}

int TWaveIn::refill() {
    if (const int request = m_jumpRequest.exchange(0); request != 0) {
        const int64_t size = Size();
        int64_t position = Position() + roundHalfEven(request / 100.0 * static_cast<double>(size));
        position = std::clamp<int64_t>(position, 0, size);
        m_position = position;
        m_dataRead = position - position % m_blockAlign;
        m_file->seek(m_dataOffset + m_dataRead, SEEK_SET);
    }
    if (Position() >= Size()) {
        if (!Loop()) return 0;
        restartLoop();
    }
    int64_t got = readBlock();
    if (got == 0) {
        if (!Loop()) return 0;
        restartLoop();
        got = readBlock();
    }
    return static_cast<int>(got);
}

// ---- TWaveOut ------------------------------------------------------------------------

TWaveOut::~TWaveOut() {
    shutdownWorker();
}

void TWaveOut::Prepare() {
    if (m_fileName.empty()) throw EACSException("File name is not assigned.");
    checkNotOwnInput(m_fileName);
    initInput();
    TACSInput* input = Input();
    TWaveHeader header;
    FillWaveHeader(header, input->InChannels(), input->InBitsPerSample(), input->Size(),
                   input->InSampleRate());
    m_file = std::make_unique<FileStream>(m_fileName, FileStream::Mode::create);
    m_file->write(header.data(), header.size());
    m_headerDataSize = input->Size();
    m_written = 0;
}

bool TWaveOut::ProcessChunk(bool abort) {
    if (!isRunning()) return true;
    reportProgress();
    if (abort) return false;
    const int n = Input()->ReadData(m_chunk.data(), static_cast<int>(m_chunk.size()));
    if (n <= 0) return false;
    // A failed write (a full disk) ends the run with the error kept for the caller.
    m_file->write(m_chunk.data(), n);
    m_written += n;
    return true;
}

void TWaveOut::Finish() {
    TACSInput* input = Input();
    std::exception_ptr error;
    try {
        // The header must tell the bytes that are there: the size was unknown, the run was
        // stopped early, or the source delivered another amount than it announced.
        if (m_written != m_headerDataSize) {
            uint8_t field[4];
            put32(field, sizeField(m_written));
            m_file->seek(40, SEEK_SET);
            m_file->write(field, 4);
            put32(field, m_written > 0xFFFFFFFFLL - 36 ? 0xFFFFFFFFu
                                                       : static_cast<uint32_t>(m_written + 36));
            m_file->seek(4, SEEK_SET);
            m_file->write(field, 4);
        }
        m_file->close();
    } catch (...) {
        error = std::current_exception();
    }
    m_file.reset();
    input->Flush();
    if (error) std::rethrow_exception(error);
}
