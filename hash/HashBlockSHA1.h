#pragma once

#include <cstddef>
#include <cstdint>

namespace NHash {
namespace NStandart {
namespace NDriver {

// One SHA-1 compression of a 64-byte block (any alignment; words read most
// significant byte first) added into the five chaining words H0 to H4; the
// run of one block below.
void HashBlockSHA1(std::uint32_t* pState, const std::uint8_t* pBlock);

// nBlocks consecutive blocks, as many calls of HashBlockSHA1 would. Uses the
// processor's SHA instructions where it has them (decided once, on the first
// call), the portable function otherwise; both give the same result. The
// choice is read once per call, and the instructions keep the chaining words
// in registers from one block to the next.
void HashBlocksSHA1(std::uint32_t* pState, const std::uint8_t* pBlocks, std::size_t nBlocks);

// True when HashBlocksSHA1 runs on the SHA instructions: the choice it has
// made, or makes now when it has not been called yet.
bool UsesSHA1Instructions();

// The portable block function, in plain C++.
void HashBlockSHA1Portable(std::uint32_t* pState, const std::uint8_t* pBlock);

// True when this processor has the SHA instructions and the build can use
// them; HashBlocksSHA1Accelerated may then be called.
bool HasSHA1Instructions();
// The run of blocks on the SHA instructions (x86-64 builds only).
void HashBlocksSHA1Accelerated(std::uint32_t* pState, const std::uint8_t* pBlocks, std::size_t nBlocks);

}  // namespace NDriver
}  // namespace NStandart
}  // namespace NHash
