#include "text/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {
namespace {

std::uint64_t Bits(double value) {
    return std::bit_cast<std::uint64_t>(value);
}
double FromBits(std::uint64_t bits) {
    return std::bit_cast<double>(bits);
}

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// An independent reference for correctly rounded reading of plain texts
// (at most 24 digits, no overflow): the library parser in the default
// rounding mode.
double Reference(const std::string& text) {
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_EQ(result.ec, std::errc()) << text;
    EXPECT_EQ(result.ptr, text.data() + text.size()) << text;
    return value;
}

// Checks both readers bit for bit, so that the sign of zero counts.
void ExpectReads(const std::string& text, double expected) {
    SCOPED_TRACE("text: \"" + text + "\"");
    EXPECT_EQ(Bits(TextToNumber(text)), Bits(expected)) << TextToNumber(text);
    EXPECT_EQ(Bits(detail::TextToNumberGeneral(text)), Bits(expected));
}

void ExpectWrites(double value, const std::string& expected) {
    SCOPED_TRACE("bits: " + std::to_string(Bits(value)));
    EXPECT_EQ(NumberToText(value), expected);
    EXPECT_EQ(detail::NumberToTextGeneral(value), expected);
}

// head, then `zeros` zeros, then tail: the long texts of the digit and
// exponent limits.
std::string WithZeros(std::string_view head, std::size_t zeros, std::string_view tail = "") {
    std::string text(head);
    text.append(zeros, '0');
    text.append(tail);
    return text;
}

// A finite double with random bits: any sign, exponent and significand.
double RandomFiniteDouble(std::mt19937_64& random) {
    for (;;) {
        const double value = FromBits(random());
        if (std::isfinite(value)) {
            return value;
        }
    }
}

struct ReadCase {
    std::string text;
    double expected;
};

TEST(TextToNumber, ReadsTheLongestNumericPrefix) {
    const std::vector<ReadCase> cases = {
        {"123.456789", 123.456789},
        {"  12", 12},
        {"\t12", 12},
        {"12 ", 12},
        {"\n\v\f\r12", 12},
        {"12abc", 12},
        {"1,5", 1},
        {"1.5.3", 1.5},
        {"", 0.0},
        {" ", 0.0},
        {"abc", 0.0},
        {"-", 0.0},
        {"+", 0.0},
        {".", 0.0},
        {"-.", 0.0},
        {".e5", 0.0},
        {".5", 0.5},
        {"5.", 5},
        {"-.5", -0.5},
        {"+.5e1", 5},
        {"00012", 12},
        {"0e5", 0.0},
        {"1e3", 1000},
        {"1E3", 1000},
        {"1d3", 1000},
        {"1D3", 1000},
        {"1D-2", 0.01},
        {"1e+2", 100},
        {"1e0005", 100000},
        {"1e", 1},
        {"1e+", 1},
        {"1e-x", 1},
        {"1e 5", 1},
        {"1+5", 1},
        {"1.5e3.7", 1500},
        {"--1", 0.0},
        {"+-1", 0.0},
        {"- 1", 0.0},
        {"0x10", 0.0},
        {"inf", 0.0},
        {"nan", 0.0},
        {"0.1", 0.1},
        {std::string("12\0005", 4), 12},  // a NUL ends the number
        {"359.595999", 359.595999},
    };
    for (const auto& c : cases) {
        ExpectReads(c.text, c.expected);
    }
}

TEST(TextToNumber, FoldsFullWidthFormsCharacterByCharacter) {
    const std::vector<ReadCase> cases = {
        {"\xA3\xB1\xA3\xB2\xA3\xAE\xA3\xB5", 12.5},  // full-width 12.5
        {"\xA1\xA1\xA3\xAD\xA3\xB3", -3},            // ideographic space, minus, 3
        {"\xA3\xAB\xA3\xAE\xA3\xB5", 0.5},           // +.5
        {"1\xA3\xC5"
         "3",
         1000},                               // 1E3
        {"1\xA3\xE4\xA3\xAD\xA3\xB2", 0.01},  // 1d-2
        {"12\xA3\xB4.5", 124.5},              // mixed widths
        {"123\xA1\xE3"
         "45",
         123},  // the degree sign is not folded
        {"\xEF\xBB\xBF"
         "123",
         0.0},           // a UTF-8 byte-order mark
        {"12\xA3", 12},  // an incomplete last character
        {"\xA3", 0.0},
        {"1\xA3\xA0"
         "2",
         1},  // 0xA0 is below the full-width range
        {"1\xA3\xFF"
         "2",
         1},  // and 0xFF above it
        // The third byte pairs with 0xA3, so the full-width 5 is never seen.
        {"\xA1\xA1\xA1\xA3\xB5", 0.0},
        // Any byte after a high byte is its second half, even an ASCII digit.
        {"\x81"
         "5",
         0.0},
        {"1\x81"
         "5",
         1},
    };
    for (const auto& c : cases) {
        ExpectReads(c.text, c.expected);
    }
}

TEST(TextToNumber, KeepsTheSignOfZeroAndInfinity) {
    const std::vector<ReadCase> cases = {
        {"-0", -0.0},    {"-0.000", -0.0},     {"-0e5", -0.0},         {"-1e-400", -0.0},
        {"1e-400", 0.0}, {"1e400", kInfinity}, {"-1e400", -kInfinity}, {"+0", 0.0},
        {"-", 0.0},      {"-abc", 0.0},
    };
    for (const auto& c : cases) {
        ExpectReads(c.text, c.expected);
    }
}

TEST(TextToNumber, CountsOnly24SignificantDigits) {
    // Dropped digits before the point still count as places.
    ExpectReads(WithZeros("1", 30), 1e30);
    ExpectReads("123456789012345678901234567890", Reference("123456789012345678901234e6"));
    ExpectReads(WithZeros("1", 400), kInfinity);
    // Leading zeros are not significant, however many there are.
    ExpectReads(WithZeros("", 10'000, "1"), 1);
    ExpectReads(WithZeros("0.", 10'000, "1"), 0.0);
    ExpectReads("0.000000000000000000000000000123456789012345678901234567",
                Reference("123456789012345678901234e-51"));
    // 2^53 + 1 is a tie between 2^53 and 2^53 + 2. Its 25th significant digit
    // would break the tie upwards, but it is dropped: the tie goes to even.
    ExpectReads("9007199254740993.000000001", 9007199254740992.0);
    ExpectReads("9007199254740993.00000001", 9007199254740994.0);
}

TEST(TextToNumber, ClampsTheExponentAt5201) {
    ExpectReads("1e5201", kInfinity);
    ExpectReads("1e99999999999", kInfinity);
    ExpectReads("-1e99999999999999999999999", -kInfinity);
    ExpectReads("1e-99999999999", 0.0);
    ExpectReads("0e99999999999", 0.0);
    // The clamp is visible where many digits shift the place back: 10^-5101
    // times the clamped 10^5201, not the written 10^5300.
    ExpectReads(WithZeros("0.", 5100, "1e5300"), 1e100);
    ExpectReads(WithZeros("1", 5300, "e-99999"), 1e99);
}

TEST(TextToNumber, RoundsToNearestWithGradualUnderflow) {
    struct BitsCase {
        std::string text;
        std::uint64_t bits;
    };
    const std::vector<BitsCase> cases = {
        {"4.9406564584124654e-324", 1},  // the smallest subnormal
        {"2.4703282292062328e-324", 1},  // just above half of it
        {"2.4703282292062327e-324", 0},  // just below half of it
        {"1e-320", 0x00000000000007E8},
        {"2.2250738585072011e-308", 0x000FFFFFFFFFFFFF},  // below the midpoint
        {"2.2250738585072012e-308", 0x0010000000000000},  // above: the smallest normal
        {"1.7976931348623157e308", 0x7FEFFFFFFFFFFFFF},   // the largest finite
        {"1.7976931348623158e308", 0x7FEFFFFFFFFFFFFF},   // still below the overflow point
        {"1.7976931348623159e308", 0x7FF0000000000000},
        {"9007199254740993", 0x4340000000000000},  // ties to even
        {"9007199254740995", 0x4340000000000002},
        {"0.3", 0x3FD3333333333333},
    };
    for (const auto& c : cases) {
        ExpectReads(c.text, FromBits(c.bits));
    }
}

// Random texts in the shapes the fast reader takes (and some it declines):
// both readers must agree with each other and with correct rounding.
TEST(TextToNumber, FastAndGeneralReadersAgreeWithCorrectRounding) {
    std::mt19937_64 random(20240501);
    for (int i = 0; i < 100'000; ++i) {
        const int digit_count = 1 + static_cast<int>(random() % 24);
        std::string digits;
        for (int d = 0; d < digit_count; ++d) {
            digits += static_cast<char>('0' + random() % 10);
        }
        std::string text = random() % 2 ? "-" : "";
        const int point = static_cast<int>(random() % (digit_count + 1));
        text.append(digits, 0, point).append(".").append(digits, point);
        if (random() % 4 == 0) {
            text.append("e").append(std::to_string(static_cast<int>(random() % 560) - 280));
        }
        SCOPED_TRACE(text);
        const double general = detail::TextToNumberGeneral(text);
        ASSERT_EQ(Bits(TextToNumber(text)), Bits(general));
        ASSERT_EQ(Bits(general), Bits(Reference(text)));
    }
}

// The shortest text that identifies a double reads back as that double, for
// every kind of double: subnormal, normal, near the overflow point.
TEST(TextToNumber, ReadsBackTheShortestTextOfAnyDouble) {
    std::mt19937_64 random(7);
    for (int i = 0; i < 100'000; ++i) {
        const double value = RandomFiniteDouble(random);
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        const std::string text(buffer, end);
        ASSERT_EQ(Bits(TextToNumber(text)), Bits(value)) << text;
    }
}

TEST(NumberToText, WritesThirteenSignificantDigits) {
    struct WriteCase {
        double value;
        std::string text;
    };
    const std::vector<WriteCase> cases = {
        {0.1, "0.1"},
        {1.0 / 3.0, "0.3333333333333"},
        {2.0 / 3.0, "0.6666666666667"},
        {10, "10"},
        {100, "100"},
        {123.456789, "123.456789"},
        {-12345.6789, "-12345.6789"},
        {2.160174089301847, "2.160174089302"},
        {0.017453292519444445, "0.01745329251944"},
        {3.141592653589793, "3.14159265359"},
        {0.0001, "0.0001"},
        {0.000123, "0.000123"},
        {0.00001, "1e-005"},
        {1e-7, "1e-007"},
        {9999999999999, "9999999999999"},
        {9999999999999.5, "1e+013"},
        {1e13, "1e+013"},
        {12345678901234, "1.234567890123e+013"},
        {123456789012345678.0, "1.234567890123e+017"},
        {1e21, "1e+021"},
        {99999.99999999999, "100000"},
        {0.099999999999999, "0.1"},
        {1234567890122.5, "1234567890123"},
        {1.3909734069405, "1.390973406941"},
        {4.9406564584124654e-324, "4.940656458412e-324"},
        {1.7976931348623157e308, "1.797693134862e+308"},
        {0.0, "0"},
        {-0.0, "0"},
        // Beyond the table: boundaries of the forms and of the roundings.
        {0.000099999999999999, "0.0001"},  // 13-digit carry into the positional form
        {0.00009999999999994, "9.999999999994e-005"},
        {-1e-5, "-1e-005"},
        {1, "1"},
        {-2.5, "-2.5"},
        {0.5, "0.5"},
        {1e12, "1000000000000"},
        {1e100, "1e+100"},
        {1.5e-300, "1.5e-300"},
        {2.2250738585072014e-308, "2.225073858507e-308"},
        {-1.7976931348623157e308, "-1.797693134862e+308"},
        // 2^-25 = 2.98023223876953125e-8: its 18th digit is exactly 5.
        {0x1p-25, "2.98023223877e-008"},
        // Just below a 13-digit midpoint, with the 18th digit deciding whether
        // the 17-digit string reaches it: 275.922259854749995611...,
        // 229.703019750349994865..., 6.78974267988049995993...e-6 and
        // 9.35600107887349994163...e-6 exactly.
        {275.92225985475, "275.9222598548"},
        {229.70301975035, "229.7030197503"},
        {6.7897426798805e-06, "6.789742679881e-006"},
        {9.3560010788735e-06, "9.356001078873e-006"},
        // 1 + 2^-52: nothing but zeros after the point, so no point.
        {1.0000000000000002, "1"},
    };
    for (const auto& c : cases) {
        ExpectWrites(c.value, c.text);
    }
}

TEST(NumberToText, WritesInfinitiesAndNaNs) {
    ExpectWrites(kInfinity, "1.#INF");
    ExpectWrites(-kInfinity, "-1.#INF");
    ExpectWrites(FromBits(0xFFF8000000000000), "-1.#IND");
    ExpectWrites(FromBits(0x7FF8000000000000), "1.#QNAN");
    ExpectWrites(FromBits(0xFFF8000000000001), "-1.#QNAN");
    ExpectWrites(FromBits(0x7FF0000000000001), "1.#QNAN");  // signalling
    ExpectWrites(FromBits(0xFFFFFFFFFFFFFFFF), "-1.#QNAN");
}

TEST(NumberToText, AppendsToWhatIsThere) {
    std::string out = "12.59------";
    AppendNumberText(out, 0.22458004760719347);
    AppendNumberText(out, 1e300);
    AppendNumberText(out, -kInfinity);
    EXPECT_EQ(out,
              "12.59------0.2245800476072"
              "1e+300"
              "-1.#INF");
}

// Values where the fast writer's 18-digit floor, its decade estimate or one
// of the roundings is most likely to slip.
std::vector<double> WriterBoundaryValues() {
    std::vector<double> values;
    for (int exponent = -12; exponent <= 20; ++exponent) {
        const double power = Reference("1e" + std::to_string(exponent));
        values.push_back(power);
        values.push_back(std::nextafter(power, 0.0));
        values.push_back(std::nextafter(power, kInfinity));
        // Just at, below and above the point where 13 nines carry over.
        const double nines = Reference("9.9999999999995e" + std::to_string(exponent));
        values.push_back(nines);
        values.push_back(std::nextafter(nines, 0.0));
        values.push_back(std::nextafter(nines, kInfinity));
    }
    for (int exponent = -40; exponent <= 64; ++exponent) {
        values.push_back(std::ldexp(1.0, exponent));
        values.push_back(std::nextafter(std::ldexp(1.0, exponent), 0.0));
    }
    return values;
}

TEST(NumberToText, FastAndGeneralWritersAgree) {
    std::vector<double> values = WriterBoundaryValues();
    std::mt19937_64 random(12345);
    // Random significands with exponents from about 1e-12 to 1e20, which
    // covers the fast range and its edges.
    for (int i = 0; i < 100'000; ++i) {
        const std::uint64_t biased_exponent = 983 + random() % (1090 - 983);
        const std::uint64_t bits = (biased_exponent << 52) | (random() >> 12);
        values.push_back(FromBits(random() % 2 ? bits : bits | (std::uint64_t{1} << 63)));
    }
    for (double value : values) {
        std::string appended = "x";
        AppendNumberText(appended, value);
        const std::string general = detail::NumberToTextGeneral(value);
        ASSERT_EQ(NumberToText(value), general) << Bits(value);
        ASSERT_EQ(appended, "x" + general) << Bits(value);
    }
}

// Over the whole range of doubles the text is short and reads back within
// the 13-digit rounding: at most half a unit of the 13th digit, plus the
// little the 17-digit rounding can add.
TEST(NumberToText, TextReadsBackWithinThirteenDigits) {
    std::mt19937_64 random(99);
    for (int i = 0; i < 20'000; ++i) {
        const double value = RandomFiniteDouble(random);
        const std::string text = NumberToText(value);
        ASSERT_LE(text.size(), kMaxNumberTextSize) << text;
        const double back = TextToNumber(text);
        // Subnormals read back to a multiple of the smallest one, 4.9e-324.
        ASSERT_LE(std::fabs(back - value), 5.0006e-13 * std::fabs(value) + 5e-324) << text;
    }
}

// Results must not change with the rounding mode the caller left behind.
TEST(NumberText, IgnoresTheFloatingPointRoundingMode) {
    const std::vector<std::string> texts = {
        "0.3",
        "123.4567",
        "359.595999",
        "-12.59",
        "0.1e-5",
        "123456789012345678901234567890",
        "1e-320",
        "2.2250738585072011e-308",
        "1.7976931348623158e308",
        "9007199254740993",
        "\xA3\xB1\xA3\xB2\xA3\xAE\xA3\xB7",
    };
    std::vector<std::uint64_t> read;
    std::vector<std::string> written;
    std::vector<std::string> written_general;
    for (const auto& text : texts) {
        read.push_back(Bits(TextToNumber(text)));
        written.push_back(NumberToText(FromBits(read.back())));
        written_general.push_back(detail::NumberToTextGeneral(FromBits(read.back())));
    }
    for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const double value = TextToNumber(texts[i]);
            const double general = detail::TextToNumberGeneral(texts[i]);
            const std::string text = NumberToText(FromBits(read[i]));
            const std::string text_general = detail::NumberToTextGeneral(FromBits(read[i]));
            std::fesetround(FE_TONEAREST);  // before anything can fail
            EXPECT_EQ(Bits(value), read[i]) << texts[i] << " mode " << mode;
            EXPECT_EQ(Bits(general), read[i]) << texts[i] << " mode " << mode;
            EXPECT_EQ(text, written[i]) << texts[i] << " mode " << mode;
            EXPECT_EQ(text_general, written_general[i]) << texts[i] << " mode " << mode;
            ASSERT_EQ(std::fesetround(mode), 0);
        }
        std::fesetround(FE_TONEAREST);
    }
}

}  // namespace
}  // namespace velmora
