// The texts written for infinities and NaNs instead of digits.
#pragma once

#include <cstdint>

namespace velmora::number_nonfinite {

// The NaN that invalid operations produce (sign set, quiet bit only); it alone
// is written as an indefinite value.
inline constexpr std::uint64_t kIndefiniteNaNBits = 0xFFF8000000000000;

// The text for an infinity or NaN without its "-", or nullptr for a finite
// value. These are the fixed digit strings "1#INF", "1#IND" and "1#QNAN" put
// through the positional form with one digit before the point and the padding
// zeros cropped.
inline const char* NonFiniteText(std::uint64_t bits) {
    constexpr std::uint64_t kExponentMask = 0x7FF0000000000000;
    constexpr std::uint64_t kFractionMask = 0x000FFFFFFFFFFFFF;
    if ((bits & kExponentMask) != kExponentMask) {
        return nullptr;
    }
    if ((bits & kFractionMask) == 0) {
        return "1.#INF";
    }
    return bits == kIndefiniteNaNBits ? "1.#IND" : "1.#QNAN";
}

}  // namespace velmora::number_nonfinite
