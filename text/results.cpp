// Placeholder until the batch pipeline lands.
#include "text/results.h"

namespace velmora {
std::string_view SkipByteOrderMark(std::string_view text) { return text; }
std::string RadiansTextOfLine(std::string_view) { return "0"; }
void AppendRadiansTextOfLine(std::string& out, std::string_view) { out += '0'; }
void AppendResultLine(std::string& out, std::string_view angle, std::string_view radians) {
    out.append(angle).append(kResultSeparator).append(radians).append("\r\n");
}
}  // namespace velmora
