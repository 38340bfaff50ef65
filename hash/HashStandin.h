// TEMPORARY local stand-in, never committed.
#pragma once
#include <cstdint>
#include <cstring>
namespace NHash {
namespace NCRC {
class CHashCRC32 {
public:
    bool Update(const void* data, uint32_t size);
    bool Final(void* out, uint32_t outSize, uint32_t bits, uint32_t count);
private:
    uint32_t m_crc = 0;
};
}
namespace NStandart {
class CHashMD5a {
public:
    bool Update(const void* data, uint32_t size);
    bool Final(void* out, uint32_t outSize, uint32_t bits, uint32_t count);
private:
    uint32_t h[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    uint8_t buf[64]; uint64_t len = 0;
    void Block(const uint8_t* p);
};
class CHashSHA1 {
public:
    bool Update(const void* data, uint32_t size);
    bool Final(void* out, uint32_t outSize, uint32_t bits, uint32_t count);
private:
    uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    uint8_t buf[64]; uint64_t len = 0;
    void Block(const uint8_t* p);
};
}
}
