// The batch and save handlers' work on the rows, apart from the windows: how
// a file's text becomes rows of the results list, and how the rows become
// the text of the results file. The handlers call exactly these, and they
// need Qt Core only, so a test or a fuzz target can run the window's own
// batch code without a display.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/report_model.h"

namespace velmora {

// The two columns of ResultsWindow's list: "角度" 150 px left-aligned, "弧度"
// 150 px centred. A list of rows built on them holds what the window holds.
std::vector<ReportColumn> ResultsColumns();

// Appends one row per line of text (cut at CR LF): column 0 holds the line as
// read, untrimmed; column 1 the radians of the trimmed cell text.
void ConvertLinesIntoList(ReportModel& list, std::string_view text);

// The results file's text: per row, column 0, "------", column 1 and CR LF.
std::string JoinedRows(const ReportModel& list);

}  // namespace velmora
