#include "text/results.h"

#include "core/survey_math.h"
#include "text/lines.h"
#include "text/number_text.h"

namespace velmora {

std::string_view SkipByteOrderMark(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    return text;
}

std::string_view BatchTextOfFile(std::string_view block) {
    return SkipByteOrderMark(BytesToTextView(block));
}

void AppendRadiansTextOfLine(std::string& out, std::string_view line) {
    AppendNumberText(out, SurveyMath().DmsToRad(TextToNumber(TrimSpacesView(line))));
}

std::string RadiansTextOfLine(std::string_view line) {
    std::string radians;
    AppendRadiansTextOfLine(radians, line);
    return radians;
}

void AppendResultLine(std::string& out, std::string_view angle, std::string_view radians) {
    out.append(angle).append(kResultSeparator).append(radians).append(kLineDelimiter);
}

void AppendConvertedLine(std::string& out, std::string_view line) {
    out.append(line).append(kResultSeparator);
    AppendRadiansTextOfLine(out, line);
    out.append(kLineDelimiter);
}

}  // namespace velmora
