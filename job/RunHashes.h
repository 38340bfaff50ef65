// The three checksums of a run, fed the same bytes: CRC-32, MD5 and SHA-1.
#pragma once

#include <cstdint>

#include "HashCRC32.h"
#include "HashMD5.h"
#include "HashSHA1.h"

class CRunHashes {
public:
    void Update(const void* pBytes, std::uint32_t nCount) {
        m_crc.Update(pBytes, nCount);
        m_md5.Update(pBytes, nCount);
        m_sha1.Update(pBytes, nCount);
    }

    // The digests of everything so far: the CRC-32 as a number (its digest
    // holds it least significant byte first), MD5 and SHA-1 as their bytes.
    void Final(std::uint32_t& nCrc, std::uint8_t (&abMd5)[16], std::uint8_t (&abSha1)[20]) const {
        std::uint8_t abCrc[4];
        m_crc.Final(abCrc, sizeof(abCrc), 0, 0);
        m_md5.Final(abMd5, sizeof(abMd5), 0, 0);
        m_sha1.Final(abSha1, sizeof(abSha1), 0, 0);
        nCrc = static_cast<std::uint32_t>(abCrc[0]) | static_cast<std::uint32_t>(abCrc[1]) << 8 |
               static_cast<std::uint32_t>(abCrc[2]) << 16 | static_cast<std::uint32_t>(abCrc[3]) << 24;
    }

private:
    NHash::NCRC::CHashCRC32 m_crc;
    NHash::NStandart::CHashMD5a m_md5;
    NHash::NStandart::CHashSHA1 m_sha1;
};
