#pragma once

#include <cstddef>

namespace NHash {

// Clears memory through a volatile pointer so that the stores survive even when
// the object is about to die (the compiler may not drop them as dead).
inline void SecureZero(void* p, std::size_t n) {
    volatile unsigned char* q = static_cast<volatile unsigned char*>(p);
    while (n--) *q++ = 0;
}

}  // namespace NHash
