// The one binary rounding step of reading a number: an integer times a power
// of two becomes the nearest double. It is done on the bits themselves, so
// the result cannot depend on the floating-point rounding mode or precision.
#pragma once

#include <bit>
#include <cstdint>

namespace velmora::number_rounding {

inline constexpr std::uint64_t kInfinityBits = 0x7FF0000000000000;

// The double nearest to (q + f) * 2^e2, where q > 0 and f is 0 when `inexact`
// is false and strictly between 0 and 1 when it is true (the bits below q that
// were cut off). Ties go to even. Results below the normal range are
// subnormal or zero; results beyond the largest double are infinity.
inline double RoundToDouble(std::uint64_t q, int e2, bool inexact) {
    const int lead = std::countl_zero(q);
    q <<= lead;  // now q is in [2^63, 2^64)
    e2 -= lead;
    const int exponent = e2 + 63;  // the value lies in [2^exponent, 2^(exponent + 1))
    if (exponent > 1023) {
        return std::bit_cast<double>(kInfinityBits);
    }
    // A normal result keeps the top 53 of the 64 bits; a subnormal one keeps
    // only the bits worth at least 2^-1074.
    const int drop = exponent >= -1022 ? 11 : -1074 - e2;
    if (drop > 64) {
        return 0.0;  // below 2^-1075, half the smallest subnormal
    }
    std::uint64_t kept = 0;
    std::uint64_t rest = q;
    std::uint64_t half = std::uint64_t{1} << 63;
    if (drop < 64) {
        kept = q >> drop;
        rest = q & ((std::uint64_t{1} << drop) - 1);
        half = std::uint64_t{1} << (drop - 1);
    }
    if (rest > half || (rest == half && (inexact || (kept & 1) != 0))) {
        ++kept;
    }
    if (exponent < -1022) {
        // Subnormal: the bits are the significand itself. A carry into bit 52
        // gives exactly the smallest normal number.
        return std::bit_cast<double>(kept);
    }
    // kept holds the hidden bit, which adds one to the biased exponent
    // (exponent + 1022 + 1). A carry to 2^53 moves on to the next binade with
    // a zero fraction, and past the largest binade to the infinity pattern.
    return std::bit_cast<double>((static_cast<std::uint64_t>(exponent + 1022) << 52) + kept);
}

}  // namespace velmora::number_rounding
