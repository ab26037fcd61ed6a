// The general number text conversions, which handle every input: folded GBK
// text, any number of digits, any exponent, subnormals, infinities and NaNs.
// They are written for clarity; number_text.cpp takes faster exact routes for
// the common cases and falls back to these.
#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/number_characters.h"
#include "text/number_rounding.h"
#include "text/number_text.h"

namespace velmora::detail {
namespace {

using number_characters::IsDigit;
using number_characters::IsExponentMarker;
using number_characters::IsWhiteSpace;
using number_rounding::RoundToDouble;

// ---------------------------------------------------------------------------
// Reading

// What the folded text offers at a position besides an ASCII byte.
constexpr int kEndOfText = -1;
constexpr int kOtherCharacter = 0x100;  // a character that stays non-ASCII

// The ASCII byte a two-byte GBK character folds to, or kOtherCharacter.
int FoldPair(unsigned char lead, unsigned char trail) {
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
        return trail - 0x80;  // full-width forms: same shape, 0x21..0x7E
    }
    if (lead == 0xA1) {
        switch (trail) {
            case 0xA1:
                return ' ';  // ideographic space
            case 0xAB:
                return '~';  // full-width tilde
            case 0xEE:
            case 0xEF:
                return '*';  // white and black star
            default:
                break;
        }
    }
    return kOtherCharacter;
}

// Walks the text as if it had first been folded: yields one character at a
// time, without building the folded copy. A byte 0x80..0xFF begins a
// two-byte character whenever a byte other than NUL follows it (no lead-byte
// table); an incomplete last character is dropped.
class FoldedReader {
  public:
    explicit FoldedReader(std::string_view text) : text_(text) {}

    int Next() {
        if (pos_ >= text_.size()) {
            return kEndOfText;
        }
        const auto lead = static_cast<unsigned char>(text_[pos_]);
        if (lead < 0x80) {
            ++pos_;
            return lead;
        }
        if (pos_ + 1 == text_.size()) {
            pos_ = text_.size();
            return kEndOfText;
        }
        // Strictly a NUL after the high byte would make it a character of
        // its own; either way the result is not ASCII and ends any number.
        const auto trail = static_cast<unsigned char>(text_[pos_ + 1]);
        pos_ += 2;
        return FoldPair(lead, trail);
    }

    int Peek() const { return FoldedReader(*this).Next(); }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// At most this many significant digits take part in the value.
constexpr int kSignificantDigits = 24;
// The exponent's digits are read until the value exceeds this; it is then
// taken as kExponentLimit + 1.
constexpr std::int64_t kExponentLimit = 5200;

// The number a text begins with: the value is digits * 10^power, where digits
// holds at most 24 significant decimal digits (below 10^24 < 2^80).
struct DecimalNumber {
    bool negative = false;
    unsigned __int128 digits = 0;
    int digit_count = 0;
    std::int64_t power = 0;
};

// Reads the digits of a mantissa into number; returns whether there was one.
bool ReadMantissa(FoldedReader& reader, DecimalNumber& number) {
    bool any_digit = false;
    bool after_point = false;
    for (;;) {
        const int c = reader.Peek();
        if (c == '.' && !after_point) {
            after_point = true;
        } else if (IsDigit(c)) {
            any_digit = true;
            if (number.digit_count == 0 && c == '0') {
                // A leading zero only fixes the place of the first digit.
                number.power -= after_point ? 1 : 0;
            } else if (number.digit_count < kSignificantDigits) {
                number.digits = number.digits * 10 + static_cast<unsigned>(c - '0');
                ++number.digit_count;
                number.power -= after_point ? 1 : 0;
            } else {
                // A dropped digit still counts as a place before the point.
                number.power += after_point ? 0 : 1;
            }
        } else {
            return any_digit;
        }
        reader.Next();
    }
}

// Reads an exponent (marker, optional sign, digits) if one follows; a marker
// without digits is left unread, as it does not belong to the number.
std::int64_t ReadExponent(FoldedReader& reader) {
    FoldedReader ahead = reader;
    if (!IsExponentMarker(ahead.Next())) {
        return 0;
    }
    bool negative = false;
    int c = ahead.Next();
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = ahead.Next();
    }
    if (!IsDigit(c)) {
        return 0;
    }
    std::int64_t exponent = 0;
    for (; IsDigit(c); c = ahead.Next()) {
        if (exponent <= kExponentLimit) {
            exponent = std::min(exponent * 10 + (c - '0'), kExponentLimit + 1);
        }
    }
    // The character that ended the exponent is the end of the number; the
    // reader's position no longer matters.
    reader = ahead;
    return negative ? -exponent : exponent;
}

// Parses the longest numeric prefix after white space; false if there is none.
bool ParseNumber(std::string_view text, DecimalNumber& number) {
    FoldedReader reader(text);
    while (IsWhiteSpace(reader.Peek())) {
        reader.Next();
    }
    const int sign = reader.Peek();
    if (sign == '+' || sign == '-') {
        number.negative = sign == '-';
        reader.Next();
    }
    if (!ReadMantissa(reader, number)) {
        return false;
    }
    number.power += ReadExponent(reader);
    return true;
}

// A fixed-size unsigned integer, large enough for every value the reader
// forms: the largest, 10^347 shifted left by 63 bits in the long division,
// stays below 2^1216, within 19 of the 21 limbs. Loops run over the limbs in
// use only.
class BigInteger {
  public:
    static constexpr int kLimbs = 21;

    explicit BigInteger(unsigned __int128 value) {
        limbs_[0] = static_cast<std::uint64_t>(value);
        limbs_[1] = static_cast<std::uint64_t>(value >> 64);
    }

    void Multiply(std::uint64_t factor) {
        std::uint64_t carry = 0;
        for (int i = 0; i < used_; ++i) {
            const unsigned __int128 product =
                static_cast<unsigned __int128>(limbs_[i]) * factor + carry;
            limbs_[i] = static_cast<std::uint64_t>(product);
            carry = static_cast<std::uint64_t>(product >> 64);
        }
        if (carry != 0) {
            limbs_[used_++] = carry;
        }
    }

    void MultiplyByPowerOfTen(std::int64_t power) {
        constexpr std::uint64_t kTenToThe19 = 10'000'000'000'000'000'000u;
        for (; power >= 19; power -= 19) {
            Multiply(kTenToThe19);
        }
        for (; power > 0; --power) {
            Multiply(10);
        }
    }

    void ShiftLeft(int bits) {
        const int limbs = bits / 64;
        const int rest = bits % 64;
        used_ = std::min(used_ + limbs + 1, kLimbs);
        for (int i = used_ - 1; i >= 0; --i) {
            std::uint64_t value = i >= limbs ? limbs_[i - limbs] << rest : 0;
            if (rest != 0 && i > limbs) {
                value |= limbs_[i - limbs - 1] >> (64 - rest);
            }
            limbs_[i] = value;
        }
    }

    void ShiftRightByOne() {
        for (int i = 0; i < used_; ++i) {
            const std::uint64_t high = i + 1 < kLimbs ? limbs_[i + 1] << 63 : 0;
            limbs_[i] = (limbs_[i] >> 1) | high;
        }
    }

    // Requires *this >= other.
    void Subtract(const BigInteger& other) {
        used_ = std::max(used_, other.used_);
        std::uint64_t borrow = 0;
        for (int i = 0; i < used_; ++i) {
            const std::uint64_t a = limbs_[i];
            const std::uint64_t b = other.limbs_[i];
            limbs_[i] = a - b - borrow;
            borrow = (a < b || (a == b && borrow != 0)) ? 1 : 0;
        }
    }

    bool IsLessThan(const BigInteger& other) const {
        for (int i = std::max(used_, other.used_) - 1; i >= 0; --i) {
            if (limbs_[i] != other.limbs_[i]) {
                return limbs_[i] < other.limbs_[i];
            }
        }
        return false;
    }

    bool IsZero() const { return BitWidth() == 0; }

    int BitWidth() const {
        for (int i = used_ - 1; i >= 0; --i) {
            if (limbs_[i] != 0) {
                return 64 * i + std::bit_width(limbs_[i]);
            }
        }
        return 0;
    }

    // The 64 bits from bit `from` upwards.
    std::uint64_t Bits64(int from) const {
        const int limb = from / 64;
        const int rest = from % 64;
        std::uint64_t value = limbs_[limb] >> rest;
        if (rest != 0 && limb + 1 < kLimbs) {
            value |= limbs_[limb + 1] << (64 - rest);
        }
        return value;
    }

    bool AnyBitBelow(int index) const {
        const int limb = index / 64;
        for (int i = 0; i < limb; ++i) {
            if (limbs_[i] != 0) {
                return true;
            }
        }
        const std::uint64_t partial_mask = (std::uint64_t{1} << (index % 64)) - 1;
        return limb < kLimbs && (limbs_[limb] & partial_mask) != 0;
    }

  private:
    std::array<std::uint64_t, kLimbs> limbs_{};
    int used_ = 2;  // limbs from here on are zero
};

// digits * 10^power for power >= 0: the exact product, cut to its top 64 bits.
double ScaleUp(unsigned __int128 digits, std::int64_t power) {
    BigInteger product(digits);
    product.MultiplyByPowerOfTen(power);
    const int low_bits = std::max(product.BitWidth() - 64, 0);
    return RoundToDouble(product.Bits64(low_bits), low_bits, product.AnyBitBelow(low_bits));
}

// digits / 10^places: a 63- or 64-bit quotient of integers, scaled by a power
// of two, and whether it left a remainder.
double ScaleDown(unsigned __int128 digits, std::int64_t places) {
    BigInteger dividend(digits);
    BigInteger divisor(1);
    divisor.MultiplyByPowerOfTen(places);
    // Align the dividend to 63 bits above the divisor: the quotient is then
    // in [2^62, 2^64), enough bits for a correctly rounded double.
    const int shift = 63 + divisor.BitWidth() - dividend.BitWidth();
    if (shift >= 0) {
        dividend.ShiftLeft(shift);
    } else {
        divisor.ShiftLeft(-shift);
    }
    // Schoolbook binary long division, one quotient bit at a time.
    divisor.ShiftLeft(63);
    std::uint64_t quotient = 0;
    for (int bit = 63; bit >= 0; --bit) {
        if (!dividend.IsLessThan(divisor)) {
            dividend.Subtract(divisor);
            quotient |= std::uint64_t{1} << bit;
        }
        divisor.ShiftRightByOne();
    }
    return RoundToDouble(quotient, -shift, !dividend.IsZero());
}

// The nearest double to digits * 10^power (digits > 0, below 10^24).
double DecimalToDouble(unsigned __int128 digits, int digit_count, std::int64_t power) {
    // The value lies in [10^(magnitude - 1), 10^magnitude).
    const std::int64_t magnitude = digit_count + power;
    if (magnitude > 309) {
        return std::bit_cast<double>(number_rounding::kInfinityBits);  // at least 1e309
    }
    if (magnitude < -323) {
        return 0.0;  // below 1e-324, under half the smallest subnormal (4.9e-324)
    }
    // From here on 10^|power| is at most 10^347.
    return power >= 0 ? ScaleUp(digits, power) : ScaleDown(digits, -power);
}

// ---------------------------------------------------------------------------
// Writing

// The NaN that invalid operations produce (sign set, quiet bit only); it alone
// is written as an indefinite value.
constexpr std::uint64_t kIndefiniteNaNBits = 0xFFF8000000000000;

// The text for an infinity or NaN without its "-", or nullptr for a finite
// value. These are the fixed digit strings "1#INF", "1#IND" and "1#QNAN" put
// through the positional form with one digit before the point and the padding
// zeros cropped.
const char* NonFiniteText(std::uint64_t bits) {
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

// The first 18 digits of the exact decimal value of a positive finite double,
// and E with value = 0.d1 d2 ... * 10^E.
std::string ExactLeadingDigits(double magnitude, int& decimal_exponent) {
    // A double's exact decimal expansion has at most 767 significant digits,
    // so this precision leaves to_chars nothing to round.
    constexpr int kExactPrecision = 780;
    std::array<char, kExactPrecision + 16> buffer;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                      std::chars_format::scientific, kExactPrecision);
    // "d.ddd...e+XX": one digit, the point, the fraction, the exponent.
    const std::string_view text(buffer.data(), result.ptr - buffer.data());
    const std::size_t marker = text.find('e');
    int exponent = 0;
    const char* exponent_begin = text.data() + marker + 1 + (text[marker + 1] == '+' ? 1 : 0);
    std::from_chars(exponent_begin, result.ptr, exponent);
    decimal_exponent = exponent + 1;
    std::string digits(1, text[0]);
    digits.append(text.substr(2, 17));
    return digits;
}

// Adds one unit in the last place of a digit string; true when the carry runs
// through every digit (they then read 1000...).
bool IncrementDigits(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return false;
        }
        *it = '0';
    }
    digits.front() = '1';
    return true;
}

// Writes the 13 digits with E in the positional or exponential form.
std::string FormatDigits(const std::string& digits13, int decimal_exponent) {
    const int x = decimal_exponent - 1;
    std::string mantissa;
    std::string suffix;
    if (x < -4 || x >= 13) {
        mantissa = digits13.substr(0, 1) + "." + digits13.substr(1);
        const std::string abs_x = std::to_string(x < 0 ? -x : x);
        suffix =
            std::string("e") + (x < 0 ? "-" : "+") + std::string(3 - abs_x.size(), '0') + abs_x;
    } else if (decimal_exponent >= 1) {
        mantissa = digits13.substr(0, decimal_exponent) + "." + digits13.substr(decimal_exponent);
    } else {
        mantissa = "0." + std::string(-decimal_exponent, '0') + digits13;
    }
    // Crop the zeros after the point, and the point if nothing is left.
    mantissa.erase(mantissa.find_last_not_of('0') + 1);
    if (mantissa.back() == '.') {
        mantissa.pop_back();
    }
    return mantissa + suffix;
}

}  // namespace

double TextToNumberGeneral(std::string_view text) {
    DecimalNumber number;
    if (!ParseNumber(text, number)) {
        return 0.0;  // no number: positive zero, whatever sign came first
    }
    const double magnitude = number.digit_count == 0
                                 ? 0.0
                                 : DecimalToDouble(number.digits, number.digit_count, number.power);
    // Negation only flips the sign bit, so -0 and -infinity come out right.
    return number.negative ? -magnitude : magnitude;
}

std::string NumberToTextGeneral(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    const std::string sign = negative ? "-" : "";
    if (const char* non_finite = NonFiniteText(bits)) {
        return sign + non_finite;
    }
    if ((bits << 1) == 0) {
        return "0";
    }
    int decimal_exponent = 0;
    std::string digits = ExactLeadingDigits(negative ? -value : value, decimal_exponent);

    // The 17-digit string: rounded up when the 18th digit is 5 or more.
    const bool round17 = digits[17] >= '5';
    digits.resize(17);
    if (round17 && IncrementDigits(digits)) {
        ++decimal_exponent;
    }
    // The 13 digits: rounded by the 14th digit of that string alone, never by
    // the exact value again.
    const bool round13 = digits[13] >= '5';
    digits.resize(13);
    if (round13 && IncrementDigits(digits)) {
        ++decimal_exponent;
    }
    return sign + FormatDigits(digits, decimal_exponent);
}

}  // namespace velmora::detail
