#pragma once

#include <cstdint>

namespace NHash {
namespace NStandart {
namespace NDriver {

// One SHA-1 compression of a 64-byte block (any alignment; words read most
// significant byte first) added into the five chaining words H0 to H4. Uses
// the processor's SHA instructions where it has them (decided once, on the
// first call), the portable function otherwise; both give the same result.
void HashBlockSHA1(std::uint32_t* pState, const std::uint8_t* pBlock);

// The portable block function, in plain C++.
void HashBlockSHA1Portable(std::uint32_t* pState, const std::uint8_t* pBlock);

// True when this processor has the SHA instructions and the build can use
// them; HashBlockSHA1Accelerated may then be called.
bool HasSHA1Instructions();
// The block function on the SHA instructions (x86-64 builds only).
void HashBlockSHA1Accelerated(std::uint32_t* pState, const std::uint8_t* pBlock);

}  // namespace NDriver
}  // namespace NStandart
}  // namespace NHash
