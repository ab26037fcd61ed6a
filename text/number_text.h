// Reading a number from GBK text and writing one as text with 13 significant
// digits. Both are independent of the process locale and of the
// floating-point rounding mode and precision.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Lenient reading: folds GBK full-width forms to ASCII, skips leading white
// space, reads the longest numeric prefix and ignores the rest. A text that
// does not start with a number reads as +0. Never returns NaN.
double TextToNumber(std::string_view text);

// At most 13 significant digits, positional or "d.dddde+XXX"; infinities and
// NaNs as 1.#INF, -1.#INF, -1.#IND, 1.#QNAN. At most 20 ASCII bytes.
std::string NumberToText(double value);

// Appends NumberToText(value) to out without a temporary string (hot path of
// the batch conversion).
void AppendNumberText(std::string& out, double value);

namespace detail {
// The general algorithms, kept beside the fast paths so that both can be
// checked against each other.
double TextToNumberGeneral(std::string_view text);
std::string NumberToTextGeneral(double value);
}  // namespace detail

}  // namespace velmora
