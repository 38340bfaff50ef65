#include "HashCRC32.h"

#include "ByteOrder.h"
#include "SecureZero.h"

namespace NHash {
namespace NCRC {

namespace {

const std::uint32_t kPolynomial = 0xEDB88320u;

// Long inputs are cut into runs of kLanes 8-byte words; word j of every run
// belongs to lane j, and each lane keeps a CRC register of its own, so the
// lanes' table lookups do not wait for one another. A lane's register must
// skip the other lanes' words as if they were zeros: table k holds the effect
// of a byte at position k of a word followed by the rest of the run, that is
// the standard byte table advanced by (kLanes * 8 - 1 - k) zero bytes. Every
// byte still costs exactly one lookup. The last run folds the lanes together.
//
// Four lanes are enough to hide the lookups' latency; beyond that the speed is
// bounded by the loads and by the instructions that pick bytes apart. Only the
// four bytes that carry a lane's register are picked out of a register; the
// other four index their tables straight from memory, which balances the two.
// On the x86-64 machine measured with bench/, more lanes, 12- or 16-byte words,
// or all eight bytes picked out of registers as zlib's braid does, were no
// faster, and one slicing-by-16 stream ran at less than half the speed.
const int kLanes = 4;
const int kRunBytes = kLanes * 8;

struct CTables {
    std::uint32_t byteTable[256];
    std::uint32_t laneTables[8][256];
};

constexpr CTables MakeTables() {
    CTables tables{};
    // The standard table: entry i is i after eight reflected shift steps.
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t x = i;
        for (int bit = 0; bit < 8; ++bit) x = (x & 1) ? (x >> 1) ^ kPolynomial : x >> 1;
        tables.byteTable[i] = x;
    }
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t x = tables.byteTable[i];
        for (int zeros = 1; zeros < kRunBytes; ++zeros) {
            x = (x >> 8) ^ tables.byteTable[x & 0xFF];
            const int k = kRunBytes - 1 - zeros;
            if (k < 8) tables.laneTables[k][i] = x;
        }
    }
    return tables;
}

alignas(64) constexpr CTables kTables = MakeTables();

static_assert(kTables.byteTable[0] == 0 && kTables.byteTable[1] == 0x77073096u, "CRC-32 table");

// One 8-byte word through the byte table, one lookup per byte.
inline std::uint32_t CRCWord(std::uint64_t w) {
    for (int k = 0; k < 8; ++k) w = (w >> 8) ^ kTables.byteTable[w & 0xFF];
    return std::uint32_t(w);
}

// One word of a lane: its first four bytes carry the lane's register, the
// other four are message bytes as they stand and index their tables straight
// from memory.
inline std::uint32_t LaneStep(std::uint32_t reg, const std::uint8_t* p) {
    const auto& T = kTables.laneTables;
    const std::uint32_t x = reg ^ LoadLE32(p);
    return T[0][x & 0xFF] ^ T[1][(x >> 8) & 0xFF] ^ T[2][(x >> 16) & 0xFF] ^ T[3][x >> 24] ^ T[4][p[4]] ^ T[5][p[5]] ^
           T[6][p[6]] ^ T[7][p[7]];
}

}  // namespace

CHashCRC32::~CHashCRC32() {
    SecureZero(&m_nByteCount, sizeof m_nByteCount);
    SecureZero(&m_nCRC, sizeof m_nCRC);
}

const char16_t* CHashCRC32::GetName() const { return u"CRC-32"; }

void CHashCRC32::Init() {
    m_nByteCount = 0;
    m_nCRC = 0;
}

bool CHashCRC32::Update(const void* pData, std::uint32_t nSize) {
    if (!pData) return false;
    const std::uint8_t* p = static_cast<const std::uint8_t*>(pData);
    std::uint32_t r = ~m_nCRC;
    std::uint32_t n = nSize;
    if (n >= 2 * kRunBytes) {
        const std::uint32_t nRuns = n / kRunBytes;
        std::uint32_t lane[kLanes] = {r};
        for (std::uint32_t run = 1; run < nRuns; ++run) {
            for (int j = 0; j < kLanes; ++j) lane[j] = LaneStep(lane[j], p + 8 * j);
            p += kRunBytes;
        }
        // Each lane's register is due at the start of its word in the last
        // run; take the words one after another, bringing each lane in.
        r = 0;
        for (int j = 0; j < kLanes; ++j) r = CRCWord(r ^ lane[j] ^ LoadLE64(p + 8 * j));
        p += kRunBytes;
        n -= nRuns * kRunBytes;
    }
    while (n--) r = (r >> 8) ^ kTables.byteTable[(r ^ *p++) & 0xFF];
    m_nCRC = ~r;
    m_nByteCount += nSize;
    return true;
}

bool CHashCRC32::Final(void* pOut, std::uint32_t nOutSize, std::uint32_t nBits, std::uint32_t nBitCount) const {
    if (!pOut || nOutSize < 4) return false;
    const std::uint32_t n = nBitCount & 7;
    std::uint32_t r = (nBits & ((1u << n) - 1)) ^ ~m_nCRC;
    for (std::uint32_t i = 0; i < n; ++i) r = (r & 1) ? (r >> 1) ^ kPolynomial : r >> 1;
    StoreLE32(static_cast<std::uint8_t*>(pOut), ~r);
    return true;
}

}  // namespace NCRC
}  // namespace NHash
