#pragma once

#include "HashBlockMD5.h"
#include "HashFunctions.h"
#include "IteratedHash.h"

namespace NHash {
namespace NStandart {

// MD5 (RFC 1321).
class CHashMD5a
    : public CIteratedHash<6, 16, 16, 64, 8, NDriver::HashBlockMD5a, Padding, CopySize64, CopyDigestMD>
{
public:
    CHashMD5a() { Init(); }

    const char16_t* GetName() const override;
    void Init() override;
};

} // namespace NStandart
} // namespace NHash
