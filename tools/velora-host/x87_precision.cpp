// SPDX-License-Identifier: MIT
#include "x87_precision.h"

namespace velora::host {

bool setX87Precision(int bits) {
#if defined(__i386__) || defined(__x86_64__)
    if (bits != 53 && bits != 64) return false;
    unsigned short control = 0;
    __asm__ __volatile__("fnstcw %0" : "=m"(control));
    // Bits 8 and 9: 10 is double (53-bit), 11 extended (64-bit) precision.
    control = static_cast<unsigned short>((control & ~0x0300u) | (bits == 53 ? 0x0200u : 0x0300u));
    __asm__ __volatile__("fldcw %0" : : "m"(control) : "memory");
    return true;
#else
    (void)bits;
    return false;
#endif
}

}  // namespace velora::host
