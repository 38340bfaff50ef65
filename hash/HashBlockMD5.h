#pragma once

#include <cstdint>

namespace NHash {
namespace NStandart {
namespace NDriver {

// One MD5 compression of a 64-byte block (any alignment; words read least
// significant byte first) added into the four chaining words A, B, C, D.
void HashBlockMD5a(std::uint32_t* pState, const std::uint8_t* pBlock);

} // namespace NDriver
} // namespace NStandart
} // namespace NHash
