// Every value here is compared exactly: the 13 digits a surveyor sees are
// only stable if the last bit of each double is.
#include "core/survey_math.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace velmora {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPi = SurveyMath::kPi;
constexpr double kTwoPi = SurveyMath::kTwoPi;

struct Case {
    double input;
    double expected;
};

TEST(DmsToRad, ConvertsPackedAngles) {
    const Case cases[] = {
        // Seconds term 67.89 / 3600 kept as the float 0.018858334049582481;
        // all-double terms would give 2.160174089289346.
        {123.456789, 2.160174089301847},
        // (12.59 - 12) * 100 is 58.999999999999986: still 59 minutes, and
        // 59 / 60 as a float is 0.98333334922790527.
        {12.59, 0.226601914821533},
        {0.0, 0.0},
        {180.0, kPi},
        {1.0, 0.017453292519444445},
        // Negative angles are the mirror of their magnitude.
        {-123.456789, -2.160174089301847},
        {-12.59, -0.226601914821533},
    };
    SurveyMath math;
    for (const Case& c : cases) {
        EXPECT_EQ(math.DmsToRad(c.input), c.expected) << "packed " << c.input;
    }
}

TEST(DmsToRad, MinutesAndSecondsAreNotCheckedAgainstSixty) {
    SurveyMath math;
    // 60 minutes make a degree.
    EXPECT_EQ(math.DmsToRad(30.6), math.DmsToRad(31.0));
    EXPECT_EQ(math.DmsToRad(30.6), 0.5410520681027778);
}

TEST(DmsToRad, NegativeMinutesMirrorPositiveOnes) {
    SurveyMath math;
    // -0.3 is minus thirty minutes, not -1 degree plus 70 minutes.
    EXPECT_EQ(math.DmsToRad(-0.3), -math.DegToRad(0.5));
    EXPECT_EQ(math.DmsToRad(-0.3), -0.008726646259722222);
    const double negative_zero = math.DmsToRad(-0.0);
    EXPECT_EQ(negative_zero, 0.0);
    EXPECT_TRUE(std::signbit(negative_zero));
}

TEST(DmsToRad, SpecialValuesPassThrough) {
    SurveyMath math;
    EXPECT_EQ(math.DmsToRad(kInf), kInf);
    EXPECT_EQ(math.DmsToRad(-kInf), -kInf);
    // Degrees read as 0 (beyond 64 bits); the seconds term, about 2.8e300,
    // overflows the float it is kept in.
    EXPECT_EQ(math.DmsToRad(1e300), kInf);
    EXPECT_TRUE(std::isnan(math.DmsToRad(kNaN)));
}

TEST(DmsToRad, DegreesBeyondThirtyTwoBitsWrap) {
    SurveyMath math;
    // 3e9 degrees read as -1294967296; x - D is exactly 2^32, whose minutes
    // wrap to 0. The seconds come from 3e11 - IntPart(3e11), where
    // IntPart(3e11) wraps to -647710720.
    const double seconds = (3e11 + 647710720.0) * 100;
    const double seconds_term = static_cast<float>(seconds / 3600);
    const double expected = ((-1294967296.0 + seconds_term) * kPi) / 180;
    EXPECT_EQ(math.DmsToRad(3000000000.0), expected);
}

TEST(IntPart, FloorsForgivingNoiseBelowWholeNumbers) {
    const struct {
        double input;
        std::int32_t expected;
    } cases[] = {
        {58.999999999999986, 59},
        {59.99999999999997, 60},
        {45.678899999999771, 45},
        {0.999999999999, 0},  // the threshold itself is not above it
        {0.9999999999991, 1},
        {-12345.6789, -12346},  // floor, not truncation
        {-0.5, -1},
        {-0.9999999999995, -1},
        {-1.0000000000001, -2},
        {3000000000.0, -1294967296},  // low 32 bits
        {2147483648.5, -2147483648},
        {4294967296.5, 0},
        {-2147483649.0, 2147483647},
        {9223372036854775808.0, 0},  // 2^63 and beyond: 0
        {-9223372036854775808.0, 0},
        {kInf, 0},
        {-kInf, 0},
        {kNaN, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IntPart(c.input), c.expected) << "x = " << c.input;
    }
}

// IntPart as written out with the library's trunc and floor: the oracle for
// the integer shortcut the real one takes.
std::int32_t IntPartByLibrary(double x) {
    const double whole = std::trunc(x);
    if (std::fabs(x - whole) > 0.999999999999) {
        x = x > 0 ? whole + 1 : whole - 1;
    }
    const double floored = std::floor(x);
    if (!(std::fabs(floored) < 9223372036854775808.0)) {
        return 0;
    }
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(static_cast<std::int64_t>(floored)));
}

// Doubles of every magnitude from 1e-3 to 1e20, both signs, half of them
// nudged to within a few ulps of a whole number, where the threshold acts.
std::vector<double> IntPartProbes() {
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> exponent(-3, 20);
    std::vector<double> probes = {4611686018427387904.0, 9223372036854774784.0,
                                  -9223372036854774784.0, 4611686018427386880.0};
    for (int i = 0; i < 200000; ++i) {
        double x = std::pow(10.0, exponent(random)) * ((random() & 1) ? 1 : -1);
        if (random() & 1) {
            x = std::nextafter(std::round(x), x > 0 ? -kInf : kInf);
        }
        probes.push_back(x);
    }
    return probes;
}

TEST(IntPart, AgreesWithTheLibraryFloorEverywhere) {
    for (const double x : IntPartProbes()) {
        ASSERT_EQ(IntPart(x), IntPartByLibrary(x)) << std::hexfloat << x;
    }
}

// Field-book angles with two to eight decimals, their neighbours, angles just
// below whole degrees and minutes, and doubles up to and past 2^24 degrees:
// the everyday shortcuts must give the reference steps' very bits.
std::vector<double> PackedAngleProbes() {
    std::mt19937_64 random(2024);
    std::vector<double> probes = {16777216.0, std::nextafter(16777216.0, 0.0), 12.9999999999995,
                                  0.9999999999995, 359.5959999999999};
    for (int i = 0; i < 200000; ++i) {
        const int decimals = 2 + static_cast<int>(random() % 7);
        const double scale = std::pow(10.0, decimals);
        const double packed = static_cast<double>(random() % (360 * 100000000ULL)) / 1e8;
        double x = std::round(packed * scale) / scale;
        switch (random() % 4) {
            case 0:
                x = std::nextafter(x, kInf);
                break;
            case 1:
                x = std::nextafter(x, 0.0);
                break;
            case 2:
                x = std::ldexp(static_cast<double>(random() >> 11), -29);
                break;  // to 2^24
            default:
                break;
        }
        probes.push_back(x);
        probes.push_back(-x);
    }
    return probes;
}

TEST(DmsToRad, EverydayPathMatchesTheReferenceStepsBitForBit) {
    const SurveyMath math;
    for (const double x : PackedAngleProbes()) {
        const double fast = math.DmsToRad(x);
        const double reference = detail::DmsToRadReference(x);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(fast), std::bit_cast<std::uint64_t>(reference))
            << std::hexfloat << x;
    }
}

TEST(Azimuth, QuadrantsAndAxes) {
    const struct {
        double dx, dy, expected;
    } cases[] = {
        {1, 1, 0.7853981633974483},
        {-1, 1, 2.3561944901025518},  // PI - 0.7853981633974483
        {-1, -1, 0.7853981633974483 + kPi},
        {1, -1, kTwoPi - 0.7853981633974483},
        {1e-8, 5, kPi / 2},  // dX within EPS: along the Y axis
        {0, -5, kPi + kPi / 2},
        {5, 1e-8, 0.0},  // dY within EPS: along the X axis
        {-5, -1e-8, kPi},
    };
    SurveyMath math;
    for (const auto& c : cases) {
        EXPECT_EQ(math.Azimuth(c.dx, c.dy), c.expected) << c.dx << ", " << c.dy;
    }
}

TEST(Azimuth, CoincidentPointsOrNaNHaveNoDirection) {
    SurveyMath math;
    EXPECT_TRUE(std::isnan(math.Azimuth(0, 0)));
    EXPECT_TRUE(std::isnan(math.Azimuth(1e-8, -1e-8)));
    EXPECT_TRUE(std::isnan(math.Azimuth(kNaN, 5)));
    EXPECT_TRUE(std::isnan(math.Azimuth(5, kNaN)));
}

TEST(NormalizeAngle, AddsOrSubtractsOneTurnOnce) {
    const Case cases[] = {
        {-1.0, kTwoPi - 1.0},
        {-7.0, kTwoPi - 7.0},  // once: still negative
        {7.0, 7.0 - kTwoPi},
        {14.0, 14.0 - kTwoPi},  // once: still beyond the turn
        {3.0, 3.0},
        {-5e-8, -5e-8},  // within EPS of the turn's ends: unchanged
        {kTwoPi + 5e-8, kTwoPi + 5e-8},
        {0.0, 0.0},
    };
    SurveyMath math;
    for (const Case& c : cases) {
        EXPECT_EQ(math.NormalizeAngle(c.input), c.expected) << c.input;
    }
}

TEST(IncludedAngle, TakesTheSmallerSide) {
    SurveyMath math;
    EXPECT_EQ(math.IncludedAngle(0.1, 6.2), 0.18318530699999958);  // TWO_PI - 6.1
    EXPECT_EQ(math.IncludedAngle(6.2, 0.1), 0.18318530699999958);
    EXPECT_EQ(math.IncludedAngle(1.0, 3.0), 2.0);
    EXPECT_EQ(math.IncludedAngle(0.0, kPi), kPi);  // a half turn stays
}

TEST(UnitConversion, UsesTheTenDecimalPi) {
    SurveyMath math;
    EXPECT_EQ(math.DegToRad(180), kPi);
    EXPECT_EQ(math.DegToRad(90), 1.57079632675);
    EXPECT_EQ(math.RadToDeg(kPi), 180.0);
    EXPECT_EQ(math.Distance(3, 4), 5.0);
    EXPECT_EQ(math.Distance(-3, 0), 3.0);
}

}  // namespace
}  // namespace velmora
