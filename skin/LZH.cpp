#include "LZH.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace {

constexpr int kRing = 4096;    // N: the window of earlier output a match may copy from
constexpr int kMaxMatch = 60;  // F: the longest match
constexpr int kThreshold = 2;  // a match must be longer than this
constexpr int kSymbols = 256 - kThreshold + kMaxMatch;  // 314: the literals and the lengths
constexpr int kNodes = kSymbols * 2 - 1;                // 627
constexpr int kRoot = kNodes - 1;                       // 626
constexpr unsigned kMaxFreq = 0x8000;
constexpr int kRingStart = kRing - kMaxMatch;  // 4036: where the first byte is written

// No stream may make us produce more than this; the shipped skin is a few hundred KiB.
constexpr std::uint64_t kMaxLength = 256u << 20;
// Every symbol takes at least one bit and yields at most kMaxMatch bytes.
constexpr std::uint64_t kMaxBytesPerStreamByte = 8 * kMaxMatch;
// A stream cut short by a few bytes still decodes (the missing bytes read as 0).
constexpr std::uint64_t kTruncationSlack = 4096;

// The prefix code of the upper 6 bits of a match position: one 3-bit code, three 4-bit ones,
// eight of 5 bits, twelve of 6, twenty-four of 7 and sixteen of 8 bits, assigned in order.
// Indexed by the next 8 bits of the stream, `code` and `length` tell which upper bits those
// start with and how long their code is; `prefix` is the inverse, for the encoder.
struct PositionCode {
    std::array<std::uint8_t, 256> code{};
    std::array<std::uint8_t, 256> length{};
    std::array<std::uint8_t, 64> prefix{};
    std::array<std::uint8_t, 64> prefixLength{};
};

constexpr PositionCode makePositionCode() {
    constexpr int countOfLength[6] = {1, 3, 8, 12, 24, 16};  // lengths 3 .. 8
    PositionCode table;
    int byte = 0;
    int upper = 0;
    for (int length = 3; length <= 8; ++length) {
        const int span = 1 << (8 - length);  // byte values that start with one such code
        for (int n = 0; n < countOfLength[length - 3]; ++n, ++upper) {
            table.prefix[upper] = std::uint8_t(byte);
            table.prefixLength[upper] = std::uint8_t(length);
            for (int k = 0; k < span; ++k, ++byte) {
                table.code[byte] = std::uint8_t(upper);
                table.length[byte] = std::uint8_t(length);
            }
        }
    }
    return table;
}

constexpr PositionCode kPosition = makePositionCode();
static_assert(kPosition.code[31] == 0 && kPosition.code[32] == 1 && kPosition.code[80] == 4);
static_assert(kPosition.code[144] == 0x0C && kPosition.code[192] == 0x18);
static_assert(kPosition.code[240] == 0x30 && kPosition.code[255] == 0x3F);
static_assert(kPosition.length[0] == 3 && kPosition.length[79] == 4 && kPosition.length[143] == 5);
static_assert(kPosition.length[191] == 6 && kPosition.length[239] == 7 &&
              kPosition.length[255] == 8);

// The adaptive Huffman code shared by both directions. Nodes 0..kNodes-1 are kept in order of
// count; the two children of a node always stand side by side (even, odd), so the bit of a
// step is the parity of the child's position. son[] of an internal node is its first child;
// son[] of a leaf is kNodes + symbol. parent[kNodes + symbol] locates a symbol's leaf.
class AdaptiveTree {
  public:
    AdaptiveTree() {
        for (int i = 0; i < kSymbols; ++i) {
            freq[i] = 1;
            son[i] = i + kNodes;
            parent[i + kNodes] = i;
        }
        for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
            freq[j] = freq[i] + freq[i + 1];
            son[j] = i;
            parent[i] = parent[i + 1] = j;
        }
        freq[kNodes] = 0xFFFF;  // stops the search for a larger count in update()
        parent[kRoot] = 0;
    }

    // Counts one more occurrence of symbol c and keeps the nodes in order of count.
    void update(int c) {
        if (freq[kRoot] == kMaxFreq) rebuild();
        c = parent[c + kNodes];
        do {
            const unsigned k = ++freq[c];
            int l = c + 1;
            if (k > freq[l]) {
                while (k > freq[++l]) {
                }
                --l;
                freq[c] = freq[l];
                freq[l] = k;
                const int i = son[c];
                parent[i] = l;
                if (i < kNodes) parent[i + 1] = l;
                const int j = son[l];
                son[l] = i;
                parent[j] = c;
                if (j < kNodes) parent[j + 1] = c;
                son[c] = j;
                c = l;
            }
            c = parent[c];
        } while (c != 0);
    }

    std::array<unsigned, kNodes + 1> freq{};
    std::array<int, kNodes + kSymbols> parent{};
    std::array<int, kNodes> son{};

  private:
    // Halves every leaf count and builds the internal nodes afresh in order of count.
    void rebuild() {
        int j = 0;
        for (int i = 0; i < kNodes; ++i) {
            if (son[i] >= kNodes) {
                freq[j] = (freq[i] + 1) / 2;
                son[j] = son[i];
                ++j;
            }
        }
        for (int i = 0, j2 = kSymbols; j2 < kNodes; i += 2, ++j2) {
            const unsigned f = freq[i] + freq[i + 1];
            freq[j2] = f;
            int k = j2 - 1;
            while (f < freq[k])
                --k;
            ++k;
            const auto count = std::size_t(j2 - k);
            std::memmove(freq.data() + k + 1, freq.data() + k, count * sizeof freq[0]);
            freq[k] = f;
            std::memmove(son.data() + k + 1, son.data() + k, count * sizeof son[0]);
            son[k] = i;
        }
        for (int i = 0; i < kNodes; ++i) {
            const int k = son[i];
            if (k >= kNodes)
                parent[k] = i;
            else
                parent[k] = parent[k + 1] = i;
        }
    }
};

// Bits, most significant first, from a 16-bit buffer topped up a byte at a time; past the end
// of the input every byte reads as 0.
class BitReader {
  public:
    explicit BitReader(std::span<const std::uint8_t> in) : m_in(in) {}

    unsigned bit() {
        fill();
        const unsigned result = (m_buffer >> 15) & 1u;
        m_buffer = (m_buffer << 1) & 0xFFFFu;
        --m_count;
        return result;
    }
    unsigned byte() {
        fill();
        const unsigned result = m_buffer >> 8;
        m_buffer = (m_buffer << 8) & 0xFFFFu;
        m_count -= 8;
        return result;
    }

  private:
    void fill() {
        while (m_count <= 8) {
            const unsigned next = m_pos < m_in.size() ? m_in[m_pos++] : 0u;
            m_buffer |= next << (8 - m_count);
            m_count += 8;
        }
    }

    std::span<const std::uint8_t> m_in;
    std::size_t m_pos = 0;
    unsigned m_buffer = 0;
    int m_count = 0;
};

class BitWriter {
  public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : m_out(out) {}

    // The low `count` bits of `bits`, the highest first; count <= 32.
    void put(std::uint64_t bits, int count) {
        m_buffer = (m_buffer << count) | (bits & ((std::uint64_t(1) << count) - 1));
        m_count += count;
        while (m_count >= 8) {
            m_count -= 8;
            m_out.push_back(std::uint8_t(m_buffer >> m_count));
        }
        m_buffer &= (std::uint64_t(1) << m_count) - 1;
    }
    void flush() {
        if (m_count > 0) m_out.push_back(std::uint8_t(m_buffer << (8 - m_count)));
        m_count = 0;
        m_buffer = 0;
    }

  private:
    std::vector<std::uint8_t>& m_out;
    std::uint64_t m_buffer = 0;
    int m_count = 0;
};

// The ring of recent output, with room behind it for a whole match so that the encoder can
// compare across the wrap without masking.
struct Ring {
    Ring() {
        std::memset(bytes.data(), ' ', bytes.size());
        std::memset(bytes.data() + kRingStart, 0, kMaxMatch);
    }
    std::array<std::uint8_t, kRing + kMaxMatch - 1> bytes;
};

// Finds the longest earlier match for the lookahead in a binary search tree over the strings
// that start at each ring position (one tree per first byte).
class MatchFinder {
  public:
    static constexpr int kNil = kRing;

    explicit MatchFinder(Ring& ring) : m_text(ring.bytes.data()) {
        right.fill(kNil);
        left.fill(kNil);
        up.fill(kNil);
    }

    int matchLength = 0;
    int matchPosition = 0;  // distance back minus one, as the stream stores it

    void insert(int r) {
        const std::uint8_t* key = &m_text[r];
        int p = kRing + 1 + key[0];
        int cmp = 1;
        right[r] = left[r] = kNil;
        matchLength = 0;
        for (;;) {
            if (cmp >= 0) {
                if (right[p] == kNil) {
                    right[p] = r;
                    up[r] = p;
                    return;
                }
                p = right[p];
            } else {
                if (left[p] == kNil) {
                    left[p] = r;
                    up[r] = p;
                    return;
                }
                p = left[p];
            }
            int i = 1;
            for (; i < kMaxMatch; ++i)
                if ((cmp = int(key[i]) - int(m_text[p + i])) != 0) break;
            if (i > kThreshold) {
                const int distance = ((r - p) & (kRing - 1)) - 1;
                if (i > matchLength) {
                    matchPosition = distance;
                    matchLength = i;
                    if (i >= kMaxMatch) break;
                } else if (i == matchLength && distance < matchPosition) {
                    matchPosition = distance;
                }
            }
        }
        // A full-length match: r takes p's place in the tree.
        up[r] = up[p];
        left[r] = left[p];
        right[r] = right[p];
        up[left[p]] = r;
        up[right[p]] = r;
        if (right[up[p]] == p)
            right[up[p]] = r;
        else
            left[up[p]] = r;
        up[p] = kNil;
    }

    void remove(int p) {
        if (up[p] == kNil) return;
        int q;
        if (right[p] == kNil) {
            q = left[p];
        } else if (left[p] == kNil) {
            q = right[p];
        } else {
            q = left[p];
            if (right[q] != kNil) {
                do
                    q = right[q];
                while (right[q] != kNil);
                right[up[q]] = left[q];
                up[left[q]] = up[q];
                left[q] = left[p];
                up[left[p]] = q;
            }
            right[q] = right[p];
            up[right[p]] = q;
        }
        up[q] = up[p];
        if (right[up[p]] == p)
            right[up[p]] = q;
        else
            left[up[p]] = q;
        up[p] = kNil;
    }

  private:
    const std::uint8_t* m_text;
    // Index kRing is the empty link; kRing + 1 + b is the root of the tree of first byte b.
    std::array<int, kRing + 257> right;
    std::array<int, kRing + 1> left;
    std::array<int, kRing + 1> up;
};

class Encoder {
  public:
    explicit Encoder(std::vector<std::uint8_t>& out) : m_bits(out) {}

    void symbol(int c) {
        // Walk up from the leaf, collecting the branch bits (deepest first).
        std::uint64_t path = 0;
        int depth = 0;
        for (int k = m_tree.parent[c + kNodes]; k != kRoot; k = m_tree.parent[k]) {
            path |= std::uint64_t(k & 1) << depth;
            ++depth;
        }
        m_bits.put(path, depth);
        m_tree.update(c);
    }

    void position(int p) {
        const int upper = p >> 6;
        const int length = kPosition.prefixLength[upper];
        m_bits.put(kPosition.prefix[upper] >> (8 - length), length);
        m_bits.put(std::uint64_t(p & 0x3F), 6);
    }

    void finish() { m_bits.flush(); }

  private:
    AdaptiveTree m_tree;
    BitWriter m_bits;
};

void putLength(std::vector<std::uint8_t>& out, std::uint32_t length) {
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(length >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> TLZH::Decompress(std::span<const std::uint8_t> skinFile) {
    if (skinFile.size() < 4) throw ElzhException("LZH : The data is shorter than its length field");
    const std::uint64_t length = std::uint64_t(skinFile[0]) | std::uint64_t(skinFile[1]) << 8 |
                                 std::uint64_t(skinFile[2]) << 16 |
                                 std::uint64_t(skinFile[3]) << 24;
    const std::span<const std::uint8_t> stream = skinFile.subspan(4);
    if (length > kMaxLength || length > kMaxBytesPerStreamByte * stream.size() + kTruncationSlack)
        throw ElzhException("LZH : The stored length of " + std::to_string(length) +
                            " bytes is more than " + std::to_string(stream.size()) +
                            " bytes of compressed data can hold");

    std::vector<std::uint8_t> out;
    try {
        out.resize(std::size_t(length));
    } catch (const std::bad_alloc&) {
        throw ElzhException("LZH : Cannot get memory for dictionary tables");
    }

    AdaptiveTree tree;
    Ring ring;
    BitReader in(stream);
    std::size_t count = 0;
    int r = kRingStart;
    while (count < out.size()) {
        int c = tree.son[kRoot];
        while (c < kNodes)
            c = tree.son[std::size_t(c) + in.bit()];
        c -= kNodes;
        tree.update(c);
        if (c < 256) {
            out[count++] = std::uint8_t(c);
            ring.bytes[std::size_t(r)] = std::uint8_t(c);
            r = (r + 1) & (kRing - 1);
            continue;
        }
        unsigned b = in.byte();
        const unsigned upper = kPosition.code[b];
        for (int extra = kPosition.length[b] - 2; extra > 0; --extra)
            b = (b << 1) + in.bit();
        const int p = int(upper << 6 | (b & 0x3F));
        const int from = (r - p - 1) & (kRing - 1);
        // A match may run past the stated length; what lies beyond it is not output.
        const int matchLength = c - 255 + kThreshold;
        for (int k = 0; k < matchLength && count < out.size(); ++k) {
            const std::uint8_t byte = ring.bytes[std::size_t((from + k) & (kRing - 1))];
            out[count++] = byte;
            ring.bytes[std::size_t(r)] = byte;
            r = (r + 1) & (kRing - 1);
        }
    }
    return out;
}

std::vector<std::uint8_t> TLZH::Compress(std::span<const std::uint8_t> data) {
    if (data.size() > kMaxLength)
        throw ElzhException("LZH : " + std::to_string(data.size()) +
                            " bytes are more than a skin file may hold");
    std::vector<std::uint8_t> out;
    out.reserve(data.size() / 2 + 64);
    putLength(out, std::uint32_t(data.size()));
    if (data.empty()) return out;

    auto ring = std::make_unique<Ring>();
    auto finder = std::make_unique<MatchFinder>(*ring);
    auto encoder = std::make_unique<Encoder>(out);
    std::uint8_t* text = ring->bytes.data();

    // Put a byte at ring position s, keeping the copy behind the ring's end in step.
    const auto store = [text](int s, std::uint8_t byte) {
        text[s] = byte;
        if (s < kMaxMatch - 1) text[s + kRing] = byte;
    };

    std::size_t next = 0;
    int s = 0;
    int r = kRingStart;
    int ahead = 0;  // bytes of lookahead at r
    for (; ahead < kMaxMatch && next < data.size(); ++ahead)
        store(r + ahead, data[next++]);
    for (int i = 1; i <= kMaxMatch; ++i)
        finder->insert(r - i);
    finder->insert(r);
    while (ahead > 0) {
        int length = std::min(finder->matchLength, ahead);
        if (length <= kThreshold) {
            length = 1;
            encoder->symbol(text[r]);
        } else {
            encoder->symbol(255 - kThreshold + length);
            encoder->position(finder->matchPosition);
        }
        for (int i = 0; i < length; ++i) {
            finder->remove(s);
            if (next < data.size())
                store(s, data[next++]);
            else
                --ahead;
            s = (s + 1) & (kRing - 1);
            r = (r + 1) & (kRing - 1);
            if (ahead > 0) finder->insert(r);
        }
    }
    encoder->finish();
    return out;
}
