// The batch conversion shared by the window and the converter, so that a file
// gives the same rows in the window as lines in the converter's output.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

inline constexpr std::string_view kResultSeparator = "------";
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A UTF-8 byte-order mark at the very start of a file's text is not part of
// its first line: returns the text behind it (or the text unchanged).
std::string_view SkipByteOrderMark(std::string_view text);

// The text a batch converts, as a view into the file's bytes: up to the
// first NUL, without a UTF-8 byte-order mark in front.
std::string_view BatchTextOfFile(std::string_view block);

// The radians text of one line as read from a file or typed: trimmed, read as
// a packed angle, converted and written.
std::string RadiansTextOfLine(std::string_view line);
void AppendRadiansTextOfLine(std::string& out, std::string_view line);

// Appends one line of the results file: angle, "------", radians, CR LF.
void AppendResultLine(std::string& out, std::string_view angle, std::string_view radians);

// Appends the results-file line of one input line: the line as read, then its
// radians text; the same bytes as AppendResultLine(out, line,
// RadiansTextOfLine(line)) without the temporary text.
void AppendConvertedLine(std::string& out, std::string_view line);

}  // namespace velmora
