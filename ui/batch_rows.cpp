#include "ui/batch_rows.h"

#include "text/lines.h"
#include "text/results.h"
#include "ui/ui_texts.h"

namespace velmora {

std::vector<ReportColumn> ResultsColumns() {
    return {{std::string(texts::kAngleColumn), 150, Qt::AlignLeft},
            {std::string(texts::kRadiansColumn), 150, Qt::AlignHCenter}};
}

void ConvertLinesIntoList(ReportModel& list, std::string_view text) {
    LineSplitter lines(text, kLineDelimiter);
    std::string_view line;
    std::string radians;  // one buffer for every row's text
    while (lines.Next(line)) {
        const int row = list.AppendRow();
        list.SetCellText(row, 0, line);
        radians.clear();
        // The angle is read from the cell, as the list holds it.
        AppendRadiansTextOfLine(radians, list.CellText(row, 0));
        list.SetCellText(row, 1, radians);
    }
}

std::string JoinedRows(const ReportModel& list) {
    const int rows = list.StoredRowCount();
    std::string text;
    for (int row = 0; row < rows; ++row) {
        AppendResultLine(text, list.CellText(row, 0), list.CellText(row, 1));
    }
    return text;
}

}  // namespace velmora
