// Placeholder until the conversions land.
#include "text/number_text.h"

namespace velmora {
double TextToNumber(std::string_view) { return 0; }
std::string NumberToText(double) { return "0"; }
void AppendNumberText(std::string& out, double) { out += '0'; }
namespace detail {
double TextToNumberGeneral(std::string_view) { return 0; }
std::string NumberToTextGeneral(double) { return "0"; }
}  // namespace detail
}  // namespace velmora
