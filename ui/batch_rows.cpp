#include "ui/batch_rows.h"

#include "core/survey_math.h"
#include "text/lines.h"
#include "text/number_text.h"
#include "text/results.h"
#include "ui/ui_texts.h"

namespace velmora {

std::vector<ReportColumn> ResultsColumns() {
    return {{std::string(texts::kAngleColumn), 150, Qt::AlignLeft},
            {std::string(texts::kRadiansColumn), 150, Qt::AlignHCenter}};
}

int AppendRow(ReportModel& list) {
    return list.AppendRow();
}

void SetCellText(ReportModel& list, int row, int column, std::string_view text) {
    list.SetCellText(row, column, text);
}

std::string GetCellText(const ReportModel& list, int row, int column) {
    return std::string(list.CellText(row, column));
}

int RowCount(const ReportModel& list) {
    return list.StoredRowCount();
}

std::string_view BatchTextOfFile(std::string_view block) {
    // A byte-order mark is not part of the first line, as in the converter.
    return SkipByteOrderMark(BytesToTextView(block));
}

void ConvertLinesIntoList(ReportModel& list, std::string_view text) {
    const SurveyMath survey_math;
    LineSplitter lines(text, kLineDelimiter);
    std::string_view line;
    while (lines.Next(line)) {
        const int row = AppendRow(list);
        SetCellText(list, row, 0, line);
        // The angle is read from the cell, as the list holds it.
        const std::string angle = TrimSpaces(GetCellText(list, row, 0));
        const double radians = survey_math.DmsToRad(TextToNumber(angle));
        SetCellText(list, row, 1, NumberToText(radians));
    }
}

std::string JoinedRows(const ReportModel& list) {
    const int rows = RowCount(list);
    std::string text;
    for (int row = 0; row < rows; ++row) {
        AppendResultLine(text, GetCellText(list, row, 0), GetCellText(list, row, 1));
    }
    return text;
}

}  // namespace velmora
