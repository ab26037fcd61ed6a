#include "text/results.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace velmora {
namespace {

const std::string kBom(kByteOrderMark);
const std::string kIdeographicSpace = "\xA1\xA1";

TEST(SkipByteOrderMarkTest, SkipsOnlyAWholeMarkAtTheStart) {
    EXPECT_EQ(SkipByteOrderMark(kBom + "123\r\n"), "123\r\n");
    EXPECT_EQ(SkipByteOrderMark(kBom), "");
    // Only one mark goes; a second one belongs to the line.
    EXPECT_EQ(SkipByteOrderMark(kBom + kBom + "1"), kBom + "1");
    EXPECT_EQ(SkipByteOrderMark("1" + kBom), "1" + kBom);
    EXPECT_EQ(SkipByteOrderMark(kBom.substr(0, 2) + "1"), kBom.substr(0, 2) + "1");
    EXPECT_EQ(SkipByteOrderMark(""), "");
}

struct LineCase {
    std::string line;
    std::string radians;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << '"' << c.line << '"';
}

class RadiansTextOfLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(RadiansTextOfLineTest, TrimsReadsConvertsAndWrites) {
    EXPECT_EQ(RadiansTextOfLine(GetParam().line), GetParam().radians);
    std::string out = "kept";
    AppendRadiansTextOfLine(out, GetParam().line);
    EXPECT_EQ(out, "kept" + GetParam().radians);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RadiansTextOfLineTest,
    ::testing::Values(LineCase{"123.456789", "2.160174089302"}, LineCase{"30.6", "0.5410520681028"},
                      LineCase{"  123.456789  ", "2.160174089302"},
                      LineCase{kIdeographicSpace + "30.6" + kIdeographicSpace, "0.5410520681028"},
                      LineCase{"\t123.456789", "2.160174089302"}, LineCase{"", "0"},
                      LineCase{"abc", "0"},
                      // Only the file reader skips the mark; inside a line it
                      // makes the line unreadable, as in the window.
                      LineCase{kBom + "123.456789", "0"}, LineCase{"1e400", "1.#INF"}));

TEST(ResultLineTest, JoinsAngleSeparatorRadiansAndCrLf) {
    std::string out;
    AppendResultLine(out, "123.456789", "2.160174089302");
    AppendResultLine(out, "", "0");
    EXPECT_EQ(out, "123.456789------2.160174089302\r\n------0\r\n");
}

TEST(ResultLineTest, ConvertedLineKeepsTheLineUntrimmed) {
    for (const char* line : {"  123.456789 ", "", "\t30.6", "12 \xB0"}) {
        std::string expected = "x";
        AppendResultLine(expected, line, RadiansTextOfLine(line));
        std::string out = "x";
        AppendConvertedLine(out, line);
        EXPECT_EQ(out, expected) << line;
    }
    std::string out;
    AppendConvertedLine(out, " 30.6");
    EXPECT_EQ(out, " 30.6------0.5410520681028\r\n");
}

}  // namespace
}  // namespace velmora
