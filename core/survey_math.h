// Survey angle formulas: packed field-book angles (ddd.mmss...) to radians,
// azimuth, distance, unit conversion, normalisation and included angle.
//
// The constants are the rounded values the formulas were built on (PI has ten
// decimals, not the library value of pi); results depend on them, so they must
// not be "improved".
#pragma once

#include <cstdint>

namespace velmora {

class SurveyMath {
  public:
    static constexpr double kPi = 3.1415926535;
    static constexpr double kTwoPi = 6.283185307;
    static constexpr double kEps = 1e-7;
    static constexpr double kDegHalfTurn = 180.0;
    static constexpr double kHundred = 100.0;
    static constexpr double kSixty = 60.0;
    static constexpr double kSecondsPerDegree = 3600.0;

    // Direction from the X axis towards the Y axis, in [0, 2*PI]. Never fails:
    // on the Y axis (|dx| <= EPS) it is PI/2 or 3*PI/2, on the X axis 0 or PI;
    // coincident points (or NaN arguments) have no direction and give NaN.
    double Azimuth(double dx, double dy) const;
    double Distance(double dx, double dy) const;
    double RadToDeg(double angle) const;
    double DegToRad(double angle) const;
    // Brings an angle that lies up to one turn outside [0, 2*PI] back into it
    // by adding or subtracting one turn, once; angles from -EPS to 2*PI + EPS
    // come back unchanged.
    double NormalizeAngle(double angle) const;
    // The smaller angle between directions a and b (both within one turn).
    double IncludedAngle(double a, double b) const;
    // Packed D.MMSS... to radians; a negative angle is the mirror of its
    // magnitude (the sign belongs to the whole angle).
    double DmsToRad(double packed) const;
};

// Floor that forgives rounding noise just below a whole number, truncated to
// 32 bits (values from 2^31 to 2^63 wrap modulo 2^32; NaN, infinities and
// larger magnitudes give 0).
std::int32_t IntPart(double x);

namespace detail {
// DmsToRad with every step carried out as described, without the shortcuts
// of the everyday range; kept so that both can be checked against each other.
double DmsToRadReference(double packed);
}  // namespace detail

}  // namespace velmora
