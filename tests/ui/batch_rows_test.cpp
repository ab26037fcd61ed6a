// The window's batch and save steps on their own, in a program with no
// application object, no display and no widgets linked in: what a fuzz
// target gets. Their rows and joined text must be the converter's bytes for
// every file shape, since the window and the converter promise the same
// results.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <string>
#include <string_view>
#include <vector>

#include "text/lines.h"
#include "text/results.h"
#include "ui/batch_rows.h"

namespace velmora {
namespace {

using namespace std::string_view_literals;

ReportModel NewList() {
    return ReportModel(ResultsColumns());
}

// What velmora-convert writes for a file of these bytes.
std::string ConverterResults(std::string_view block) {
    std::string results;
    for (const std::string& line : SplitText(BatchTextOfFile(block), kLineDelimiter)) {
        AppendConvertedLine(results, line);
    }
    return results;
}

std::vector<std::string> Column(const ReportModel& list, int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < list.StoredRowCount(); ++row) {
        cells.push_back(std::string(list.CellText(row, column)));
    }
    return cells;
}

struct FileShape {
    const char* name;
    std::string_view bytes;
    std::vector<std::string> angles;  // column 0, row by row
};

const FileShape kShapes[] = {
    {"two angles", "123.456789\r\n30.6\r\n", {"123.456789", "30.6"}},
    {"blanks, tab and empty line", "  1  \r\n\r\n\t180", {"  1  ", "", "\t180"}},
    {"LF ends are one line", "180\n1\n", {"180\n1\n"}},
    {"byte-order mark in front",
     "\xEF\xBB\xBF"
     "1\r\n",
     {"1"}},
    {"NUL ends the text",
     "1\r\n2\0"
     "3\r\n"sv,
     {"1", "2"}},
    {"only NULs", "\0\0\0\0"sv, {}},
    {"empty", "", {}},
    {"CR LF as second byte of a GBK pair", "\xBD\r\n1\r\n2", {"\xBD\r\n1", "2"}},
    {"truncated GBK at the end", "1\r\n\xBD\xC7\xB6", {"1", "\xBD\xC7\xB6"}},
    {"invalid GBK", "\xFF\xFF\r\n\x80", {"\xFF\xFF", "\x80"}},
    {"UTF-16 LE with its mark",
     "\xFF\xFE"
     "1\0\r\0\n\0"sv,
     {"\xFF\xFE"
      "1"}},
    {"UTF-16 BE with its mark",
     "\xFE\xFF\0"
     "1\0\r\0\n"sv,
     {"\xFE\xFF"}},
    {"too large and not numbers", "1e400\r\n-1e400\r\nabc\r\n", {"1e400", "-1e400", "abc"}},
};

TEST(BatchRowsTest, RowsAndJoinedTextAreTheConvertersForEveryFileShape) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);  // headless, as a fuzz target runs
    for (const FileShape& shape : kShapes) {
        SCOPED_TRACE(shape.name);
        ReportModel list = NewList();
        ConvertLinesIntoList(list, BatchTextOfFile(shape.bytes));
        EXPECT_EQ(Column(list, 0), shape.angles);
        EXPECT_EQ(JoinedRows(list), ConverterResults(shape.bytes));
    }
}

TEST(BatchRowsTest, EachRowIsTheLineBesideTheRadiansOfItsTrimmedText) {
    ReportModel list = NewList();
    ConvertLinesIntoList(list, "\xA1\xA1 123.456789 \xA1\xA1\r\n\r\n1e400\r\n12.59abc");
    EXPECT_EQ(Column(list, 1),
              (std::vector<std::string>{"2.160174089302", "0", "1.#INF", "0.2266019148215"}));
}

TEST(BatchRowsTest, SecondBatchAppendsAndJoiningWritesEveryRowInOrder) {
    ReportModel list = NewList();
    ConvertLinesIntoList(list, "1\r\n");
    ConvertLinesIntoList(list, "\r\n180\r\n");
    EXPECT_EQ(JoinedRows(list), "1------0.01745329251944\r\n------0\r\n180------3.1415926535\r\n");
    EXPECT_EQ(JoinedRows(NewList()), "");
}

TEST(BatchRowsTest, ListsComeAndGoWithoutAnEventLoop) {
    // Each batch queues one announcement for a view; with no event loop it is
    // never delivered and must go with its list (the sanitizer build would
    // report a leak otherwise).
    for (int i = 0; i < 1000; ++i) {
        ReportModel list = NewList();
        ConvertLinesIntoList(list, "1\r\n2\r\n");
        ASSERT_EQ(list.StoredRowCount(), 2);
    }
}

}  // namespace
}  // namespace velmora
