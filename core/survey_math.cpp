// Survey formulas. The digits a surveyor sees depend on exactly how each step
// is rounded, so every step below says where its value is stored as a double
// (or as a float) and at which precision it is computed.
#include "core/survey_math.h"

#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

namespace velmora {
namespace {

// The formulas were first run on an x87 unit set to 64-bit mantissas: each
// operation was computed in the 80-bit format and rounded to a double only
// where it was stored. Where long double is that format we do the same, so the
// rare double-rounding cases come out as they always did; elsewhere plain
// double is the closest we have.
#if LDBL_MANT_DIG == 64
using Extended = long double;
#else
using Extended = double;
#endif

// One extended-precision operation whose result is stored as a double.
double StoredSum(double a, double b) {
    return static_cast<double>(Extended{a} + b);
}
double StoredDifference(double a, double b) {
    return static_cast<double>(Extended{a} - b);
}
double StoredProduct(double a, double b) {
    return static_cast<double>(Extended{a} * b);
}
double StoredQuotient(double a, double b) {
    return static_cast<double>(Extended{a} / b);
}

// The minutes and seconds terms were kept in single-precision variables; that
// rounding is visible in the 13 digits shown (123.456789 gives ...089302, not
// ...089289), so it stays: the quotient is stored as a double, then as a float.
double StoredQuotientAsFloat(double a, double b) {
    return static_cast<float>(StoredQuotient(a, b));
}

// A fraction above this counts as rounding noise just below the next whole
// number: (12.59 - 12) * 100 is 58.999999999999986 and means 59 minutes.
constexpr double kWholeNumberThreshold = 0.999999999999;
static_assert(std::bit_cast<std::uint64_t>(kWholeNumberThreshold) == 0x3FEFFFFFFFFFDCD1);

// 2^63: the first magnitude a 64-bit signed integer cannot hold.
constexpr double kInt64Limit = 9223372036854775808.0;

// The three parts are added in one extended-precision expression and rounded
// to a double once, not after each addition; then (sum * PI) / 180.
double SumToRad(double degrees, double minutes_term, double seconds_term) {
    const double sum = static_cast<double>(Extended{degrees} + minutes_term + seconds_term);
    return StoredQuotient(StoredProduct(sum, SurveyMath::kPi), SurveyMath::kDegHalfTurn);
}

// Positive (or +0, +infinity, NaN) packed angle to radians, every step as it
// has always been computed. It serves every angle outside the everyday range
// and is the reference the everyday path is checked against.
double PackedMagnitudeToRadReference(double x) {
    const double degrees = IntPart(x);
    const double minutes =
        IntPart(StoredProduct(StoredDifference(x, degrees), SurveyMath::kHundred));
    const double minutes_term = StoredQuotientAsFloat(minutes, SurveyMath::kSixty);

    // Seconds are the digits after the minutes, with the decimal point moved
    // two places right: x * 100 drops the degrees' point behind the minutes.
    const double shifted = StoredProduct(x, SurveyMath::kHundred);
    const double seconds =
        StoredProduct(StoredDifference(shifted, IntPart(shifted)), SurveyMath::kHundred);
    const double seconds_term = StoredQuotientAsFloat(seconds, SurveyMath::kSecondsPerDegree);
    return SumToRad(degrees, minutes_term, seconds_term);
}

// Below 2^24 degrees, x * 100 stays far below 2^31, so no whole part wraps and
// the shortcuts of the everyday path hold.
constexpr double kEverydayLimit = 16777216.0;

// Whole minutes lie in [-1, 100] for angles below the everyday limit
// (x - degrees is in (-1e-12, 1)); the table spans [-100, 100] to be safe.
constexpr int kMinutesTableLimit = 100;

// The float minutes terms m / 60, computed once by the extended steps, so that
// the everyday path looks them up instead of dividing.
float MinutesTerm(int minutes) {
    static const auto table = [] {
        std::array<float, 2 * kMinutesTableLimit + 1> terms{};
        for (int m = -kMinutesTableLimit; m <= kMinutesTableLimit; ++m) {
            terms[m + kMinutesTableLimit] =
                static_cast<float>(StoredQuotientAsFloat(m, SurveyMath::kSixty));
        }
        return terms;
    }();
    return table[minutes + kMinutesTableLimit];
}

// The same result as the reference for 0 <= x < kEverydayLimit, with less
// extended-precision work. Each shortcut gives the very double the extended
// step gives:
// - a double times 100 has at most 53 + 5 significant bits, so the extended
//   product is exact and rounds to a double once, as a double product does;
// - x - IntPart(x) is exact in double here (the whole part is within one of x),
//   so the extended difference has nothing to round either;
// - the minutes term comes from the table above.
// The seconds division, the sum and the final product and quotient keep their
// extended precision: there a double computation could round differently.
double PackedMagnitudeToRadEveryday(double x) {
    const std::int32_t degrees = IntPart(x);
    const std::int32_t minutes = IntPart((x - degrees) * SurveyMath::kHundred);
    if (minutes < -kMinutesTableLimit || minutes > kMinutesTableLimit) {
        return PackedMagnitudeToRadReference(x);
    }
    const double shifted = x * SurveyMath::kHundred;
    const double seconds = (shifted - IntPart(shifted)) * SurveyMath::kHundred;
    const double seconds_term = StoredQuotientAsFloat(seconds, SurveyMath::kSecondsPerDegree);
    return SumToRad(degrees, MinutesTerm(minutes), seconds_term);
}

double PackedMagnitudeToRad(double x) {
    if (x < kEverydayLimit) {  // false for NaN and +infinity
        return PackedMagnitudeToRadEveryday(x);
    }
    return PackedMagnitudeToRadReference(x);
}

}  // namespace

std::int32_t IntPart(double x) {
    // Magnitudes from 2^63 on, the infinities and NaN have no 64-bit whole
    // part and give 0. Below, the integer conversion truncates exactly and
    // costs far less than calls of trunc and floor (IntPart runs three times
    // per angle). Every double from 2^52 on is a whole number, so the
    // adjustments below never step outside the 64-bit range.
    if (!(std::fabs(x) < kInt64Limit)) {
        return 0;
    }
    std::int64_t whole = static_cast<std::int64_t>(x);       // cut towards zero
    const double fraction = x - static_cast<double>(whole);  // exact, sign of x
    if (std::fabs(fraction) > kWholeNumberThreshold) {
        whole += x > 0 ? 1 : -1;  // noise just below the next whole number
    } else if (fraction < 0) {
        whole -= 1;  // floor, not truncation, for negative numbers
    }
    // Keep the low 32 bits: degrees beyond the 32-bit range wrap rather than
    // saturate, which is how the packed angles have always been read.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(whole));
}

namespace detail {
double DmsToRadReference(double packed) {
    if (std::signbit(packed)) {
        return -PackedMagnitudeToRadReference(-packed);
    }
    return PackedMagnitudeToRadReference(packed);
}
}  // namespace detail

double SurveyMath::DmsToRad(double packed) const {
    // The sign belongs to the whole angle: -123.456789 is -(123 deg 45' 67.89").
    // Splitting the negative number directly would floor to -124 degrees and
    // read the minutes from the complement. -0 comes back as -0.
    if (std::signbit(packed)) {
        return -PackedMagnitudeToRad(-packed);
    }
    return PackedMagnitudeToRad(packed);
}

double SurveyMath::Azimuth(double dx, double dy) const {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    if (std::isnan(dx) || std::isnan(dy)) {
        return kNaN;
    }
    const bool dy_positive = dy > kEps;
    const bool dy_negative = dy < -kEps;
    if (!(std::fabs(dx) > kEps)) {
        // Along the Y axis; coincident points have no direction at all.
        if (dy_positive) {
            return kPi / 2;
        }
        return dy_negative ? StoredSum(kPi, kPi / 2) : kNaN;
    }
    const bool dx_positive = dx > kEps;
    if (!dy_positive && !dy_negative) {
        // Along the X axis: the limits of the quadrant formulas on either side.
        return dx_positive ? 0.0 : kPi;
    }
    const double r = static_cast<double>(std::atan(Extended{StoredQuotient(dy, dx)}));
    if (dy_positive) {
        return dx_positive ? r : StoredDifference(kPi, std::fabs(r));
    }
    return dx_positive ? StoredDifference(kTwoPi, std::fabs(r)) : StoredSum(r, kPi);
}

double SurveyMath::Distance(double dx, double dy) const {
    const double squares = StoredSum(StoredProduct(dx, dx), StoredProduct(dy, dy));
    return static_cast<double>(std::sqrt(Extended{squares}));
}

double SurveyMath::RadToDeg(double angle) const {
    return StoredQuotient(StoredProduct(angle, kDegHalfTurn), kPi);
}

double SurveyMath::DegToRad(double angle) const {
    return StoredQuotient(StoredProduct(angle, kPi), kDegHalfTurn);
}

double SurveyMath::NormalizeAngle(double angle) const {
    if (angle < -kEps) {
        return StoredSum(angle, kTwoPi);
    }
    const double less_one_turn = StoredDifference(angle, kTwoPi);
    return less_one_turn > kEps ? less_one_turn : angle;
}

double SurveyMath::IncludedAngle(double a, double b) const {
    const double d = std::fabs(StoredDifference(a, b));
    return StoredDifference(d, kPi) > kEps ? StoredDifference(kTwoPi, d) : d;
}

}  // namespace velmora
