#include "SecureReader.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace quillon::secureread {

namespace {

// One pass over a block: the data, which sectors of it were delivered, and the reads that
// delivered them (as block-relative start and length), so a read found shifted can be dropped
// as a whole.
struct Pass {
    std::vector<std::uint8_t> data;
    std::vector<bool> valid;
    struct Read {
        std::uint32_t start;
        std::uint32_t length;
    };
    std::vector<Read> reads;

    const std::uint8_t* sector(std::uint32_t k) const { return data.data() + k * kSectorBytes; }
};

// The different contents one disputed sector was read as, and how often each.
struct Votes {
    std::vector<std::vector<std::uint8_t>> contents;
    std::vector<int> counts;
    int reads = 0;

    void add(const std::uint8_t* sector) {
        ++reads;
        for (std::size_t i = 0; i < contents.size(); ++i) {
            if (std::memcmp(contents[i].data(), sector, kSectorBytes) == 0) {
                ++counts[i];
                return;
            }
        }
        contents.emplace_back(sector, sector + kSectorBytes);
        counts.push_back(1);
    }

    std::size_t best() const {
        return static_cast<std::size_t>(std::max_element(counts.begin(), counts.end()) -
                                        counts.begin());
    }

    bool settled() const {
        if (contents.empty()) return false;
        const int count = counts[best()];
        return count >= 2 && count * 2 > reads;
    }
};

// Whether sector k of `pass` holds the samples `other` has `shift` samples away from k; every
// sector those samples span must have been delivered in `other`.
bool matchesShifted(const Pass& pass, const Pass& other, std::uint32_t k, std::int64_t shift) {
    const std::int64_t start = std::int64_t{k} * kSamplesPerSector + shift;
    const std::int64_t total = static_cast<std::int64_t>(other.valid.size()) * kSamplesPerSector;
    if (start < 0 || start + kSamplesPerSector > total) return false;
    const auto firstSector = static_cast<std::size_t>(start / kSamplesPerSector);
    const auto lastSector =
        static_cast<std::size_t>((start + kSamplesPerSector - 1) / kSamplesPerSector);
    if (!other.valid[firstSector] || !other.valid[lastSector]) return false;
    return std::memcmp(pass.sector(k), other.data.data() + start * kBytesPerSample, kSectorBytes) ==
           0;
}

// The reads of `pass` that are shifted copies of what `other` read: some sector of the read
// differs from `other` at its own place but equals `other`'s samples a few samples away.
std::vector<std::size_t> shiftedReads(const Pass& pass, const Pass& other, std::uint32_t maxShift) {
    std::vector<std::size_t> shifted;
    const auto limit = static_cast<std::int64_t>(maxShift);
    for (std::size_t r = 0; r < pass.reads.size(); ++r) {
        const auto& read = pass.reads[r];
        bool found = false;
        for (std::uint32_t k = read.start; k < read.start + read.length && !found; ++k) {
            if (!pass.valid[k] || !other.valid[k] ||
                std::memcmp(pass.sector(k), other.sector(k), kSectorBytes) == 0)
                continue;
            for (std::int64_t shift = -limit; shift <= limit && !found; ++shift)
                found = shift != 0 && matchesShifted(pass, other, k, shift);
        }
        if (found) shifted.push_back(r);
    }
    return shifted;
}

void dropReads(Pass& pass, const std::vector<std::size_t>& reads) {
    for (std::size_t r : reads) {
        const auto& read = pass.reads[r];
        for (std::uint32_t k = read.start; k < read.start + read.length; ++k)
            pass.valid[k] = false;
    }
}

// Reads the block once, the first read firstReadLength long and the rest as long as allowed.
void readPass(SectorReader& reader, Pass& pass, std::uint32_t first, std::uint32_t count,
              std::uint32_t firstReadLength, RangeReport& report) {
    const std::uint32_t most = std::max<std::uint32_t>(1, reader.maxSectorsPerRead());
    pass.data.assign(std::size_t{count} * kSectorBytes, 0);
    pass.valid.assign(count, false);
    pass.reads.clear();
    std::uint32_t length = std::clamp<std::uint32_t>(firstReadLength, 1, most);
    for (std::uint32_t done = 0; done < count; done += length, length = most) {
        length = std::min(length, count - done);
        report.sectorReads += length;
        const bool ok =
            reader.read(first + done, length, pass.data.data() + std::size_t{done} * kSectorBytes);
        if (!ok) ++report.failedReads;
        for (std::uint32_t k = done; k < done + length; ++k)
            pass.valid[k] = ok;
        pass.reads.push_back({done, length});
    }
}

}  // namespace

SecureReader::SecureReader(SectorReader& reader, ReadOptions options)
    : m_reader(reader), m_options(options) {
    m_options.retries = std::max(0, m_options.retries);
    m_options.blockSectors = std::max<std::uint32_t>(1, m_options.blockSectors);
}

void SecureReader::readSectors(std::uint32_t first, std::uint32_t count, std::uint8_t* out,
                               RangeReport& report) {
    report.secure = m_options.mode == ReadMode::secure;
    if (!report.secure) {
        readFast(first, count, out, report);
        return;
    }
    for (std::uint32_t done = 0; done < count;) {
        const std::uint32_t length = std::min(m_options.blockSectors, count - done);
        readBlock(first + done, length, out + std::size_t{done} * kSectorBytes, report);
        done += length;
    }
}

void SecureReader::readFast(std::uint32_t first, std::uint32_t count, std::uint8_t* out,
                            RangeReport& report) {
    const std::uint32_t most = std::max<std::uint32_t>(1, m_reader.maxSectorsPerRead());
    for (std::uint32_t done = 0; done < count;) {
        const std::uint32_t length = std::min(most, count - done);
        std::uint8_t* target = out + std::size_t{done} * kSectorBytes;
        report.sectorReads += length;
        if (!m_reader.read(first + done, length, target)) {
            ++report.failedReads;
            std::memset(target, 0, std::size_t{length} * kSectorBytes);
            for (std::uint32_t k = 0; k < length; ++k)
                report.unsettled.push_back(first + done + k);
        }
        done += length;
    }
}

void SecureReader::readBlock(std::uint32_t first, std::uint32_t count, std::uint8_t* out,
                             RangeReport& report) {
    const std::uint32_t most = std::max<std::uint32_t>(1, m_reader.maxSectorsPerRead());
    Pass a;
    Pass b;
    readPass(m_reader, a, first, count, most, report);
    m_reader.defeatCache(first);
    // The second pass's reads start halfway through the first pass's, so no request repeats.
    readPass(m_reader, b, first, count, std::max<std::uint32_t>(1, std::min(count, most) / 2),
             report);

    const auto shiftedA = shiftedReads(a, b, m_options.maxJitterSamples);
    const auto shiftedB = shiftedReads(b, a, m_options.maxJitterSamples);
    dropReads(a, shiftedA);
    dropReads(b, shiftedB);
    report.jitteredReads += static_cast<std::uint32_t>(shiftedA.size() + shiftedB.size());

    std::map<std::uint32_t, Votes> disputed;
    for (std::uint32_t k = 0; k < count; ++k) {
        if (a.valid[k] && b.valid[k] && std::memcmp(a.sector(k), b.sector(k), kSectorBytes) == 0) {
            std::memcpy(out + std::size_t{k} * kSectorBytes, a.sector(k), kSectorBytes);
            continue;
        }
        Votes& votes = disputed[k];
        if (a.valid[k]) votes.add(a.sector(k));
        if (b.valid[k]) votes.add(b.sector(k));
    }
    report.rereadSectors += static_cast<std::uint32_t>(disputed.size());

    // Re-read the sectors still unsettled, consecutive ones together, until each settles or
    // has had its retries.
    std::vector<std::uint8_t> buffer(std::size_t{most} * kSectorBytes);
    const auto reread = [&](std::uint32_t start, std::uint32_t length, std::uint8_t* data) {
        report.sectorReads += length;
        if (!m_reader.read(first + start, length, data)) {
            ++report.failedReads;
            return false;
        }
        for (std::uint32_t k = 0; k < length; ++k)
            disputed[start + k].add(data + std::size_t{k} * kSectorBytes);
        return true;
    };
    for (int attempt = 0; attempt < m_options.retries; ++attempt) {
        std::vector<std::uint32_t> open;
        for (const auto& [k, votes] : disputed)
            if (!votes.settled()) open.push_back(k);
        if (open.empty()) break;
        for (std::size_t i = 0; i < open.size();) {
            std::size_t j = i + 1;
            while (j < open.size() && open[j] == open[j - 1] + 1 && j - i < most)
                ++j;
            const std::uint32_t start = open[i];
            const auto length = static_cast<std::uint32_t>(j - i);
            m_reader.defeatCache(first + start);
            if (!reread(start, length, buffer.data())) {
                // One unreadable sector must not keep its neighbours from settling.
                for (std::uint32_t k = 0; k < length && length > 1; ++k)
                    reread(start + k, 1, buffer.data());
            }
            i = j;
        }
    }

    for (const auto& [k, votes] : disputed) {
        std::uint8_t* target = out + std::size_t{k} * kSectorBytes;
        if (votes.contents.empty())
            std::memset(target, 0, kSectorBytes);
        else
            std::memcpy(target, votes.contents[votes.best()].data(), kSectorBytes);
        if (!votes.settled()) report.unsettled.push_back(first + k);
    }
}

}  // namespace quillon::secureread
