#include "HashMD5.h"

namespace NHash {
namespace NStandart {

const char16_t* CHashMD5a::GetName() const { return u"MD5"; }

void CHashMD5a::Init() {
    m_nByteCount = 0;
    m_State[0] = 0x67452301u;
    m_State[1] = 0xEFCDAB89u;
    m_State[2] = 0x98BADCFEu;
    m_State[3] = 0x10325476u;
}

}  // namespace NStandart
}  // namespace NHash
