#include "HashStandin.h"
namespace NHash {
namespace NCRC {
static uint32_t T[256];
static bool init = [] { for (uint32_t i = 0; i < 256; i++) { uint32_t x = i; for (int k = 0; k < 8; k++) x = (x >> 1) ^ ((x & 1) ? 0xEDB88320u : 0); T[i] = x; } return true; }();
bool CHashCRC32::Update(const void* d, uint32_t n) { if (!d) return false; const uint8_t* p = (const uint8_t*)d; uint32_t r = ~m_crc; while (n--) r = (r >> 8) ^ T[(r ^ *p++) & 0xFF]; m_crc = ~r; return true; }
bool CHashCRC32::Final(void* out, uint32_t s, uint32_t, uint32_t) { if (!out || s < 4) return false; uint8_t* o = (uint8_t*)out; for (int i = 0; i < 4; i++) o[i] = (uint8_t)(m_crc >> (8 * i)); return true; }
}
namespace NStandart {
static inline uint32_t rol(uint32_t x, int c) { return (x << c) | (x >> (32 - c)); }
static const uint32_t K[64] = {
0xd76aa478,0xe8c7b756,0x242070db,0xc1bdceee,0xf57c0faf,0x4787c62a,0xa8304613,0xfd469501,0x698098d8,0x8b44f7af,0xffff5bb1,0x895cd7be,0x6b901122,0xfd987193,0xa679438e,0x49b40821,
0xf61e2562,0xc040b340,0x265e5a51,0xe9b6c7aa,0xd62f105d,0x02441453,0xd8a1e681,0xe7d3fbc8,0x21e1cde6,0xc33707d6,0xf4d50d87,0x455a14ed,0xa9e3e905,0xfcefa3f8,0x676f02d9,0x8d2a4c8a,
0xfffa3942,0x8771f681,0x6d9d6122,0xfde5380c,0xa4beea44,0x4bdecfa9,0xf6bb4b60,0xbebfbc70,0x289b7ec6,0xeaa127fa,0xd4ef3085,0x04881d05,0xd9d4d039,0xe6db99e5,0x1fa27cf8,0xc4ac5665,
0xf4292244,0x432aff97,0xab9423a7,0xfc93a039,0x655b59c3,0x8f0ccc92,0xffeff47d,0x85845dd1,0x6fa87e4f,0xfe2ce6e0,0xa3014314,0x4e0811a1,0xf7537e82,0xbd3af235,0x2ad7d2bb,0xeb86d391};
static const int R[64] = {7,12,17,22,7,12,17,22,7,12,17,22,7,12,17,22,5,9,14,20,5,9,14,20,5,9,14,20,5,9,14,20,4,11,16,23,4,11,16,23,4,11,16,23,4,11,16,23,6,10,15,21,6,10,15,21,6,10,15,21,6,10,15,21};
void CHashMD5a::Block(const uint8_t* p) {
  uint32_t w[16]; for (int i = 0; i < 16; i++) w[i] = p[4*i] | p[4*i+1] << 8 | p[4*i+2] << 16 | (uint32_t)p[4*i+3] << 24;
  uint32_t a = h[0], b = h[1], c = h[2], d = h[3];
  for (int i = 0; i < 64; i++) { uint32_t f; int g;
    if (i < 16) { f = (b & c) | (~b & d); g = i; } else if (i < 32) { f = (d & b) | (~d & c); g = (5*i+1)%16; }
    else if (i < 48) { f = b ^ c ^ d; g = (3*i+5)%16; } else { f = c ^ (b | ~d); g = (7*i)%16; }
    uint32_t t = d; d = c; c = b; b = b + rol(a + f + K[i] + w[g], R[i]); a = t; }
  h[0] += a; h[1] += b; h[2] += c; h[3] += d; }
bool CHashMD5a::Update(const void* d, uint32_t n) { if (!d) return false; const uint8_t* p = (const uint8_t*)d;
  while (n) { size_t off = len % 64; size_t k = 64 - off; if (k > n) k = n; memcpy(buf + off, p, k); len += k; p += k; n -= (uint32_t)k; if (len % 64 == 0) Block(buf); } return true; }
bool CHashMD5a::Final(void* out, uint32_t s, uint32_t, uint32_t) { if (!out || s < 16) return false; CHashMD5a c = *this; uint64_t bl = len * 8;
  uint8_t pad = 0x80; c.Update(&pad, 1); pad = 0; while (c.len % 64 != 56) c.Update(&pad, 1);
  uint8_t L[8]; for (int i = 0; i < 8; i++) L[i] = (uint8_t)(bl >> (8*i)); c.Update(L, 8);
  uint8_t* o = (uint8_t*)out; for (int i = 0; i < 16; i++) o[i] = (uint8_t)(c.h[i/4] >> (8*(i%4))); return true; }
void CHashSHA1::Block(const uint8_t* p) {
  uint32_t w[80]; for (int i = 0; i < 16; i++) w[i] = (uint32_t)p[4*i] << 24 | p[4*i+1] << 16 | p[4*i+2] << 8 | p[4*i+3];
  for (int i = 16; i < 80; i++) w[i] = rol(w[i-3] ^ w[i-8] ^ w[i-14] ^ w[i-16], 1);
  uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
  for (int i = 0; i < 80; i++) { uint32_t f, k;
    if (i < 20) { f = (b & c) | (~b & d); k = 0x5A827999; } else if (i < 40) { f = b ^ c ^ d; k = 0x6ED9EBA1; }
    else if (i < 60) { f = (b & c) | (b & d) | (c & d); k = 0x8F1BBCDC; } else { f = b ^ c ^ d; k = 0xCA62C1D6; }
    uint32_t t = rol(a, 5) + f + e + k + w[i]; e = d; d = c; c = rol(b, 30); b = a; a = t; }
  h[0] += a; h[1] += b; h[2] += c; h[3] += d; h[4] += e; }
bool CHashSHA1::Update(const void* d, uint32_t n) { if (!d) return false; const uint8_t* p = (const uint8_t*)d;
  while (n) { size_t off = len % 64; if (off == 0) while (n >= 64) { Block(p); p += 64; n -= 64; len += 64; } if (!n) break; off = len % 64; size_t k = 64 - off; if (k > n) k = n; memcpy(buf + off, p, k); len += k; p += k; n -= (uint32_t)k; if (len % 64 == 0) Block(buf); } return true; }
bool CHashSHA1::Final(void* out, uint32_t s, uint32_t, uint32_t) { if (!out || s < 20) return false; CHashSHA1 c = *this; uint64_t bl = len * 8;
  uint8_t pad = 0x80; c.Update(&pad, 1); pad = 0; while (c.len % 64 != 56) c.Update(&pad, 1);
  uint8_t L[8]; for (int i = 0; i < 8; i++) L[i] = (uint8_t)(bl >> (8*(7-i))); c.Update(L, 8);
  uint8_t* o = (uint8_t*)out; for (int i = 0; i < 20; i++) o[i] = (uint8_t)(c.h[i/4] >> (8*(3-i%4))); return true; }
}
}
