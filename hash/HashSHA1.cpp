#include "HashSHA1.h"

namespace NHash {
namespace NStandart {

const char16_t* CHashSHA1::GetName() const { return u"SHA-1"; }

void CHashSHA1::Init() {
    m_nByteCount = 0;
    m_State[0] = 0x67452301u;
    m_State[1] = 0xEFCDAB89u;
    m_State[2] = 0x98BADCFEu;
    m_State[3] = 0x10325476u;
    m_State[4] = 0xC3D2E1F0u;
}

}  // namespace NStandart
}  // namespace NHash
