#include "HashCRC32.h"

#include "ByteOrder.h"
#include "SecureZero.h"

namespace NHash {
namespace NCRC {

namespace {

const std::uint32_t kPolynomial = 0xEDB88320u;

// Sixteen tables, built by the compiler. Table 0 is the standard byte-wise
// table: entry i is i after eight reflected shift steps. Table k holds the
// effect of a byte followed by k zero bytes, so a 16-byte stretch folds in
// with one lookup per byte and independent lookups that the processor can
// overlap, instead of sixteen lookups each waiting for the last.
struct CTables
{
    std::uint32_t t[16][256];
};

constexpr CTables MakeTables()
{
    CTables tables{};
    for (std::uint32_t i = 0; i < 256; ++i)
    {
        std::uint32_t x = i;
        for (int bit = 0; bit < 8; ++bit)
            x = (x & 1) ? (x >> 1) ^ kPolynomial : x >> 1;
        tables.t[0][i] = x;
    }
    for (int k = 1; k < 16; ++k)
        for (std::uint32_t i = 0; i < 256; ++i)
        {
            std::uint32_t x = tables.t[k - 1][i];
            tables.t[k][i] = (x >> 8) ^ tables.t[0][x & 0xFF];
        }
    return tables;
}

alignas(64) constexpr CTables kTables = MakeTables();

static_assert(kTables.t[0][0] == 0 && kTables.t[0][1] == 0x77073096u, "CRC-32 table");

} // namespace

CHashCRC32::~CHashCRC32()
{
    SecureZero(&m_nByteCount, sizeof m_nByteCount);
    SecureZero(&m_nCRC, sizeof m_nCRC);
}

const char16_t* CHashCRC32::GetName() const
{
    return u"CRC-32";
}

void CHashCRC32::Init()
{
    m_nByteCount = 0;
    m_nCRC = 0;
}

bool CHashCRC32::Update(const void* pData, std::uint32_t nSize)
{
    if (!pData)
        return false;
    const std::uint8_t* p = static_cast<const std::uint8_t*>(pData);
    const auto& T = kTables.t;
    std::uint32_t r = ~m_nCRC;
    std::uint32_t n = nSize;
    while (n >= 16)
    {
        const std::uint32_t a = r ^ LoadLE32(p);
        const std::uint32_t b = LoadLE32(p + 4);
        const std::uint32_t c = LoadLE32(p + 8);
        const std::uint32_t d = LoadLE32(p + 12);
        r = T[15][a & 0xFF] ^ T[14][(a >> 8) & 0xFF] ^ T[13][(a >> 16) & 0xFF] ^ T[12][a >> 24]
          ^ T[11][b & 0xFF] ^ T[10][(b >> 8) & 0xFF] ^ T[9][(b >> 16) & 0xFF] ^ T[8][b >> 24]
          ^ T[7][c & 0xFF] ^ T[6][(c >> 8) & 0xFF] ^ T[5][(c >> 16) & 0xFF] ^ T[4][c >> 24]
          ^ T[3][d & 0xFF] ^ T[2][(d >> 8) & 0xFF] ^ T[1][(d >> 16) & 0xFF] ^ T[0][d >> 24];
        p += 16;
        n -= 16;
    }
    while (n--)
        r = (r >> 8) ^ T[0][(r ^ *p++) & 0xFF];
    m_nCRC = ~r;
    m_nByteCount += nSize;
    return true;
}

bool CHashCRC32::Final(void* pOut, std::uint32_t nOutSize, std::uint32_t nBits, std::uint32_t nBitCount) const
{
    if (!pOut || nOutSize < 4)
        return false;
    const std::uint32_t n = nBitCount & 7;
    std::uint32_t r = (nBits & ((1u << n) - 1)) ^ ~m_nCRC;
    for (std::uint32_t i = 0; i < n; ++i)
        r = (r & 1) ? (r >> 1) ^ kPolynomial : r >> 1;
    StoreLE32(static_cast<std::uint8_t*>(pOut), ~r);
    return true;
}

} // namespace NCRC
} // namespace NHash
