// Placeholder until the formulas land.
#include "core/survey_math.h"

namespace velmora {
double SurveyMath::Azimuth(double, double) const { return 0; }
double SurveyMath::Distance(double, double) const { return 0; }
double SurveyMath::RadToDeg(double) const { return 0; }
double SurveyMath::DegToRad(double) const { return 0; }
double SurveyMath::NormalizeAngle(double) const { return 0; }
double SurveyMath::IncludedAngle(double, double) const { return 0; }
double SurveyMath::DmsToRad(double) const { return 0; }
std::int32_t IntPart(double) { return 0; }
}  // namespace velmora
