#pragma once

#include "HashBlockSHA1.h"
#include "HashFunctions.h"
#include "IteratedHash.h"

namespace NHash {
namespace NStandart {

// SHA-1 (FIPS 180-1).
class CHashSHA1
    : public CIteratedHash<8, 20, 20, 64, 8, NDriver::HashBlockSHA1, Padding, CopySize64SHA1, CopyDigestSHA>
{
public:
    CHashSHA1() { Init(); }

    const char16_t* GetName() const override;
    void Init() override;
};

} // namespace NStandart
} // namespace NHash
