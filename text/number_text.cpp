// The number text conversions as the program calls them: an exact fast path
// for the numbers a field book holds (short plain decimals in, magnitudes
// from about 1e-10 to 1e18 out), falling back to the general algorithms in
// number_general.cpp for everything else. Both paths give the same results;
// the fast ones only avoid big-integer and digit-string work.
#include "text/number_text.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "text/number_characters.h"
#include "text/number_rounding.h"

namespace velmora {
namespace {

using number_characters::IsDigit;
using number_characters::IsExponentMarker;
using number_characters::IsWhiteSpace;

// base^0 ... base^(N-1) as 64-bit integers.
template <std::uint64_t Base, std::size_t N>
constexpr std::array<std::uint64_t, N> PowersOf() {
    std::array<std::uint64_t, N> powers{};
    std::uint64_t power = 1;
    for (auto& p : powers) {
        p = power;
        power *= Base;
    }
    return powers;
}

constexpr auto kPowersOfTen = PowersOf<10, 20>();
// 5^27 is the largest power of five below 2^63.
constexpr auto kPowersOfFive = PowersOf<5, 28>();

// ---------------------------------------------------------------------------
// Reading

// Up to 19 decimal digits always fit in 64 bits (10^19 < 2^64).
constexpr int kShortDecimalDigits = 19;

// The nearest double to digits / 10^places, with places <= 19.
double ShortDecimalToDouble(std::uint64_t digits, int places) {
    if (digits == 0) {
        return 0.0;
    }
    if (places == 0) {
        return number_rounding::RoundToDouble(digits, 0, false);
    }
    const std::uint64_t divisor = kPowersOfTen[places];
    // Shift the digits so that the quotient has 63 or 64 bits (enough for a
    // correctly rounded double) and the high half of the dividend stays below
    // the divisor, which keeps the 128-by-64-bit division to one step.
    const int shift = 63 + std::bit_width(divisor) - std::bit_width(digits);
    const unsigned __int128 dividend = static_cast<unsigned __int128>(digits) << shift;
    const auto quotient = static_cast<std::uint64_t>(dividend / divisor);
    const bool remainder = dividend != static_cast<unsigned __int128>(quotient) * divisor;
    return number_rounding::RoundToDouble(quotient, -shift, remainder);
}

// Reads a plain ASCII decimal of at most 19 digits (optional sign, optional
// point, no exponent) into value. Returns false, leaving the text to the
// general reader, when the number is longer, when an exponent marker follows
// it (an exponent may follow), or when a byte 0x80..0xFF comes before its end
// (it may fold to a digit, a sign, a point or white space).
bool ReadShortDecimal(std::string_view text, double& value) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end && IsWhiteSpace(*p)) {
        ++p;
    }
    bool negative = false;
    if (p != end && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    std::uint64_t digits = 0;
    int count = 0;
    int places = 0;
    for (; p != end && IsDigit(*p); ++p) {
        if (++count > kShortDecimalDigits) {
            return false;
        }
        digits = digits * 10 + static_cast<unsigned>(*p - '0');
    }
    if (p != end && *p == '.') {
        for (++p; p != end && IsDigit(*p); ++p) {
            if (++count > kShortDecimalDigits) {
                return false;
            }
            digits = digits * 10 + static_cast<unsigned>(*p - '0');
            ++places;
        }
    }
    if (count == 0) {
        return false;
    }
    if (p != end) {
        const auto next = static_cast<unsigned char>(*p);
        if (next >= 0x80 || IsExponentMarker(next)) {
            return false;
        }
    }
    const double magnitude = ShortDecimalToDouble(digits, places);
    value = negative ? -magnitude : magnitude;
    return true;
}

// ---------------------------------------------------------------------------
// Writing

// Decimal digits in pairs, "00" to "99", to write two digits per division.
constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

void WriteDigitPairs(std::uint32_t value, int pairs, char* out) {
    for (int i = pairs - 1; i >= 0; --i) {
        std::memcpy(out + 2 * i, &kDigitPairs[2 * (value % 100)], 2);
        value /= 100;
    }
}

// Writes the 13 digits of value (below 10^13, leading zeros included).
void WriteThirteenDigits(std::uint64_t value, char* out) {
    const auto high = static_cast<std::uint32_t>(value / 100'000'000);  // 5 digits
    const auto low = static_cast<std::uint32_t>(value % 100'000'000);   // 8 digits
    out[0] = static_cast<char>('0' + high / 10'000);
    WriteDigitPairs(high % 10'000, 2, out + 1);
    WriteDigitPairs(low, 4, out + 5);
}

// The floor of the first 18 digits of the exact value of a positive double,
// and E with value = 0.d1 d2 ... * 10^E. False outside about 1e-10 to 1e18,
// where the scaled value no longer fits the 128-bit arithmetic.
bool LeadingDigits18(std::uint64_t bits, std::uint64_t& digits18, int& decimal_exponent) {
    const int biased_exponent = static_cast<int>(bits >> 52) & 0x7FF;
    if (biased_exponent == 0 || biased_exponent == 0x7FF) {
        return false;  // zero, subnormal, infinity or NaN
    }
    const std::uint64_t significand = (bits & 0x000FFFFFFFFFFFFF) | (std::uint64_t{1} << 52);
    const int binary_exponent = biased_exponent - 1075;  // value = significand * 2^binary_exponent
    const int log2 = biased_exponent - 1023;             // value in [2^log2, 2^(log2 + 1))
    // floor(log2 * log10(2)), with 78913 / 2^18 just below log10(2); exact for
    // every exponent of a double. floor(log10(value)) is this or one more.
    const int log10 = (log2 * 78913) >> 18;
    const int scale = 17 - log10;  // value * 10^scale lies in [10^17, 10^19)
    if (scale < 0 || scale >= static_cast<int>(kPowersOfFive.size())) {
        return false;
    }
    // value * 10^scale = significand * 5^scale * 2^(binary_exponent + scale):
    // below 2^53 * 2^63 before the shift, below 10^19 after it.
    unsigned __int128 scaled = static_cast<unsigned __int128>(significand) * kPowersOfFive[scale];
    const int shift = binary_exponent + scale;
    if (shift >= 0) {
        scaled <<= shift;
    } else {
        scaled >>= -shift;  // the floor: digits beyond the 18th do not matter
    }
    auto digits = static_cast<std::uint64_t>(scaled);
    decimal_exponent = 18 - scale;
    if (digits >= kPowersOfTen[18]) {
        digits /= 10;  // the floor of a floor is the floor of the exact value
        ++decimal_exponent;
    }
    digits18 = digits;
    return true;
}

// Rounds the 18 digits to the 17-digit string (up when the 18th digit is 5 or
// more), then to 13 digits by the 14th digit of that string alone.
std::uint64_t RoundToThirteenDigits(std::uint64_t digits18, int& decimal_exponent) {
    std::uint64_t digits17 = digits18 / 10 + (digits18 % 10 >= 5 ? 1 : 0);
    if (digits17 == kPowersOfTen[17]) {
        digits17 = kPowersOfTen[16];  // 99..9 carried into an 18th place
        ++decimal_exponent;
    }
    std::uint64_t digits13 = digits17 / 10'000 + ((digits17 / 1'000) % 10 >= 5 ? 1 : 0);
    if (digits13 == kPowersOfTen[13]) {
        digits13 = kPowersOfTen[12];
        ++decimal_exponent;
    }
    return digits13;
}

// Writes 13 digits with E (value = 0.d1 ... d13 * 10^E) in the positional
// form for -4 <= E - 1 < 13 and the exponential form otherwise, cropping the
// zeros after the point. Returns the length.
std::size_t FormatThirteenDigits(std::uint64_t digits13, int decimal_exponent, bool negative,
                                 char* out) {
    char digits[13];
    WriteThirteenDigits(digits13, digits);
    int used = 13;  // digits up to the last non-zero one
    while (digits[used - 1] == '0') {
        --used;  // digits13 >= 10^12, so the first digit stays
    }
    char* p = out;
    if (negative) {
        *p++ = '-';
    }
    const int x = decimal_exponent - 1;
    if (x < -4 || x >= 13) {
        *p++ = digits[0];
        if (used > 1) {
            *p++ = '.';
            std::memcpy(p, digits + 1, used - 1);
            p += used - 1;
        }
        const int abs_x = x < 0 ? -x : x;
        *p++ = 'e';
        *p++ = x < 0 ? '-' : '+';
        *p++ = static_cast<char>('0' + abs_x / 100);
        std::memcpy(p, &kDigitPairs[2 * (abs_x % 100)], 2);
        p += 2;
    } else if (decimal_exponent >= 1) {
        std::memcpy(p, digits, decimal_exponent);
        p += decimal_exponent;
        if (used > decimal_exponent) {
            *p++ = '.';
            std::memcpy(p, digits + decimal_exponent, used - decimal_exponent);
            p += used - decimal_exponent;
        }
    } else {
        *p++ = '0';
        *p++ = '.';
        for (int i = decimal_exponent; i < 0; ++i) {
            *p++ = '0';
        }
        std::memcpy(p, digits, used);
        p += used;
    }
    return static_cast<std::size_t>(p - out);
}

// Writes the text of value into out (room for kMaxNumberTextSize bytes) and
// returns its length, or 0 when the value is left to the general writer.
std::size_t WriteNumberTextFast(double value, char* out) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    if ((bits << 1) == 0) {
        out[0] = '0';  // zero of either sign
        return 1;
    }
    std::uint64_t digits18 = 0;
    int decimal_exponent = 0;
    if (!LeadingDigits18(bits, digits18, decimal_exponent)) {
        return 0;
    }
    const std::uint64_t digits13 = RoundToThirteenDigits(digits18, decimal_exponent);
    return FormatThirteenDigits(digits13, decimal_exponent, negative, out);
}

}  // namespace

double TextToNumber(std::string_view text) {
    double value = 0.0;
    if (ReadShortDecimal(text, value)) {
        return value;
    }
    return detail::TextToNumberGeneral(text);
}

std::string NumberToText(double value) {
    std::string text;
    AppendNumberText(text, value);
    return text;
}

void AppendNumberText(std::string& out, double value) {
    char buffer[kMaxNumberTextSize];
    const std::size_t size = WriteNumberTextFast(value, buffer);
    if (size == 0) {
        out += detail::NumberToTextGeneral(value);
    } else {
        out.append(buffer, size);
    }
}

}  // namespace velmora
