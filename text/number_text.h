// Reading a number from GBK text and writing one as text with 13 significant
// digits. Both are independent of the process locale and of the
// floating-point rounding mode and precision: every rounding step is done on
// integers.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Lenient reading: folds GBK full-width forms to ASCII, skips leading white
// space, reads the longest numeric prefix (sign, digits with an optional
// point, optional exponent after e, E, d or D) and ignores the rest. A text
// that does not start with a number reads as +0. Only the first 24
// significant digits count; the exponent is clamped at 5201. The result is
// rounded to nearest (ties to even) with gradual underflow; out of range it is
// ±infinity or ±0, keeping the sign of the text. Never returns NaN.
double TextToNumber(std::string_view text);

// At most 13 significant digits, positional for 1e-4 <= |value| < 1e13 and
// "d.dddde+XXX" otherwise; infinities and NaNs as 1.#INF, -1.#INF, -1.#IND,
// 1.#QNAN. At most 20 ASCII bytes. The digits come from the 17-digit string
// of the exact value (18th digit rounding up from 5), rounded once more to 13
// digits by its 14th digit alone.
std::string NumberToText(double value);

// Appends NumberToText(value) to out without a temporary string (hot path of
// the batch conversion).
void AppendNumberText(std::string& out, double value);

// Longest text NumberToText can produce: "-d.dddddddddddde-ddd".
inline constexpr std::size_t kMaxNumberTextSize = 20;

namespace detail {
// The general algorithms, which handle every input. The public functions take
// a fast exact path for the common cases and fall back to these; the two are
// checked against each other.
double TextToNumberGeneral(std::string_view text);
std::string NumberToTextGeneral(double value);
}  // namespace detail

}  // namespace velmora
