#include "text/lines.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {
namespace {

using Lines = std::vector<std::string>;

// The tables write bytes as blank-separated items: CR, LF, TAB, SP and NUL
// stand for those bytes, 0xNN for one byte, anything else for its characters.
std::string Bytes(std::string_view items) {
    std::string bytes;
    std::size_t pos = 0;
    while (pos < items.size()) {
        std::size_t end = items.find(' ', pos);
        if (end == std::string_view::npos) {
            end = items.size();
        }
        const std::string_view item = items.substr(pos, end - pos);
        if (item == "CR") {
            bytes += '\r';
        } else if (item == "LF") {
            bytes += '\n';
        } else if (item == "TAB") {
            bytes += '\t';
        } else if (item == "SP") {
            bytes += ' ';
        } else if (item == "NUL") {
            bytes += '\0';
        } else if (item.size() == 4 && item.starts_with("0x")) {
            bytes += static_cast<char>(std::stoi(std::string(item.substr(2)), nullptr, 16));
        } else {
            bytes += item;
        }
        pos = end + 1;
    }
    return bytes;
}

Lines SplitWithSplitter(std::string_view text, std::string_view delimiter) {
    Lines pieces;
    LineSplitter splitter(text, delimiter);
    std::string_view piece;
    while (splitter.Next(piece)) {
        pieces.emplace_back(piece);
    }
    return pieces;
}

struct SplitCase {
    const char* what;
    const char* text;
    const char* delimiter;
    std::vector<const char*> expected;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.what;
}

class SplitTextTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTextTest, CutsAtCharacterBoundaries) {
    const SplitCase& c = GetParam();
    Lines expected;
    for (const char* element : c.expected) {
        expected.push_back(Bytes(element));
    }
    const std::string text = Bytes(c.text);
    const std::string delimiter = Bytes(c.delimiter);
    EXPECT_EQ(SplitText(text, delimiter), expected);
    // The streaming splitter is the same algorithm: same pieces, same order.
    EXPECT_EQ(SplitWithSplitter(text, delimiter), expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, SplitTextTest, ::testing::Values(
    SplitCase{"empty text", "", "CR LF", {}},
    SplitCase{"empty text and delimiter", "", "", {}},
    SplitCase{"no delimiter", "123.456789", "CR LF", {"123.456789"}},
    SplitCase{"two lines", "1 CR LF 2", "CR LF", {"1", "2"}},
    SplitCase{"final CR LF adds nothing", "1 CR LF 2 CR LF", "CR LF", {"1", "2"}},
    SplitCase{"empty line kept", "1 CR LF CR LF 2", "CR LF", {"1", "", "2"}},
    SplitCase{"leading delimiter", "CR LF 1", "CR LF", {"", "1"}},
    SplitCase{"delimiter alone", "CR LF", "CR LF", {""}},
    SplitCase{"two delimiters", "CR LF CR LF", "CR LF", {"", ""}},
    SplitCase{"empty line before the end", "1 CR LF CR LF", "CR LF", {"1", ""}},
    SplitCase{"LF alone is no line end", "1 LF 2 LF", "CR LF", {"1 LF 2 LF"}},
    SplitCase{"CR alone stays", "1 CR CR LF 2", "CR LF", {"1 CR", "2"}},
    SplitCase{"text ending in CR", "1 CR", "CR LF", {"1 CR"}},
    SplitCase{"CR as second byte", "0xB0 CR LF 1", "CR LF", {"0xB0 CR LF 1"}},
    SplitCase{"two-byte char then CR LF", "0xB0 0xA1 CR LF 1", "CR LF", {"0xB0 0xA1", "1"}},
    SplitCase{"UTF-8 three-byte char joins lines", "ab 0xE5 0xBA 0xA6 CR LF 1 CR LF 2", "CR LF",
              {"ab 0xE5 0xBA 0xA6 CR LF 1", "2"}},
    SplitCase{"lone high byte at the end", "1 CR LF 2 0xB0", "CR LF", {"1", "2 0xB0"}},
    SplitCase{"high byte before the last CR LF", "1 CR LF 0xB0 CR LF", "CR LF",
              {"1", "0xB0 CR LF"}},
    // Long enough for the word-at-a-time scan, with a CR hiding as a second
    // byte past the first eight bytes.
    SplitCase{"long line with a hidden CR", "0123456789 0xB0 CR LF 0123456789 CR LF", "CR LF",
              {"0123456789 0xB0 CR LF 0123456789"}},
    SplitCase{"runs of high bytes pair up", "0xFF 0xFF 0xFF CR LF", "CR LF",
              {"0xFF 0xFF 0xFF CR LF"}},
    SplitCase{"empty delimiter gives the whole text", "1 CR LF 2", "", {"1 CR LF 2"}},
    SplitCase{"matches do not overlap", "aaaaa", "aa", {"", "", "a"}},
    SplitCase{"case-sensitive delimiter", "1x2X3", "x", {"1", "2X3"}},
    SplitCase{"high-bit delimiter at boundaries", "1 0xB0 0xB0 0xB0 2", "0xB0", {"1", "", "", "2"}},
    SplitCase{"high-bit delimiter inside a character", "0xC1 0xB0 2", "0xB0", {"0xC1 0xB0 2"}},
    SplitCase{"delimiter longer than the text", "1", "123", {"1"}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) {
        std::string name;
        for (const char ch : std::string(info.param.what)) {
            name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        }
        return name;
    });
// clang-format on

TEST(LineSplitterTest, StaysAtTheEndOnceFinished) {
    LineSplitter splitter("1\r\n", kLineDelimiter);
    std::string_view line = "untouched";
    ASSERT_TRUE(splitter.Next(line));
    EXPECT_EQ(line, "1");
    EXPECT_FALSE(splitter.Next(line));
    EXPECT_FALSE(splitter.Next(line));
    EXPECT_EQ(line, "1");
}

TEST(LineSplitterTest, ViewsPointIntoTheText) {
    const std::string text = "12\r\n345";
    LineSplitter splitter(text, kLineDelimiter);
    std::string_view line;
    ASSERT_TRUE(splitter.Next(line));
    ASSERT_TRUE(splitter.Next(line));
    EXPECT_EQ(line.data(), text.data() + 4);
    EXPECT_EQ(line.size(), 3u);
}

// The word-at-a-time scan at every alignment: a delimiter, a CR hidden behind
// a high byte, and a lone CR at each offset of a line.
TEST(LineSplitterTest, WordScanAgreesAtEveryOffset) {
    for (std::size_t offset = 0; offset < 20; ++offset) {
        const std::string pad(offset, '7');
        EXPECT_EQ(SplitText(pad + "\r\n" + pad + "9", kLineDelimiter), (Lines{pad, pad + "9"}))
            << offset;
        EXPECT_EQ(SplitText(pad + "\xB0\r\n9", kLineDelimiter), (Lines{pad + "\xB0\r\n9"}))
            << offset;
        EXPECT_EQ(SplitText(pad + "\r9\r\n", kLineDelimiter), (Lines{pad + "\r9"})) << offset;
    }
}

struct ConversionCase {
    const char* input;
    const char* expected;
};

void PrintTo(const ConversionCase& c, std::ostream* os) {
    *os << '"' << c.input << '"';
}

class TrimSpacesTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(TrimSpacesTest, RemovesSpacesAtBothEnds) {
    const std::string text = Bytes(GetParam().input);
    const std::string expected = Bytes(GetParam().expected);
    EXPECT_EQ(TrimSpaces(text), expected);
    EXPECT_EQ(TrimSpacesView(text), expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, TrimSpacesTest, ::testing::Values(
    ConversionCase{"SP SP 12.5 SP SP", "12.5"},
    ConversionCase{"0xA1 0xA1 12.5 0xA1 0xA1 SP", "12.5"},
    ConversionCase{"SP 0xA1 0xA1 SP 0xA1 0xA1 1", "1"},
    ConversionCase{"TAB 12.5 TAB", "TAB 12.5 TAB"},
    ConversionCase{"12.5 CR", "12.5 CR"},
    ConversionCase{"12.5 0xA0 0xA0", "12.5 0xA0 0xA0"},
    ConversionCase{"1 SP 2", "1 SP 2"},
    ConversionCase{"SP SP SP", ""},
    ConversionCase{"0xA1 0xA1 0xA1 0xA1", ""},
    ConversionCase{"", ""},
    ConversionCase{"12 SP 0xB0", "12 SP"},
    ConversionCase{"0xB0", ""},
    ConversionCase{"1 0xB0 0xA1 0xA1 0xA1", "1 0xB0 0xA1"},
    // A lone 0xA1 is no space, at either end.
    ConversionCase{"0xA1 1", "0xA1 1"},
    ConversionCase{"1 SP 0xA1", "1 SP"},
    // Only the final run of spaces goes.
    ConversionCase{"1 SP 0xA1 0xA1 2 SP", "1 SP 0xA1 0xA1 2"},
    ConversionCase{"0xB0 0xA1 SP", "0xB0 0xA1"}));
// clang-format on

class BytesToTextTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(BytesToTextTest, StopsAtTheFirstNul) {
    const std::string block = Bytes(GetParam().input);
    const std::string expected = Bytes(GetParam().expected);
    EXPECT_EQ(BytesToText(block), expected);
    EXPECT_EQ(BytesToTextView(block), expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, BytesToTextTest, ::testing::Values(
    ConversionCase{"1 2 NUL 3", "12"},
    ConversionCase{"NUL 1 2", ""},
    ConversionCase{"", ""},
    ConversionCase{"0xFF 0xFE 1 NUL 2 NUL", "0xFF 0xFE 1"},
    // Nothing but the NUL is touched: line ends and a byte-order mark stay.
    ConversionCase{"0xEF 0xBB 0xBF 1 CR LF LF CR", "0xEF 0xBB 0xBF 1 CR LF LF CR"}));
// clang-format on

TEST(TextToBytesTest, CopiesTheBytesAsTheyAre) {
    const std::string bytes(TextToBytes("abc"));
    ASSERT_EQ(bytes.size(), 3u);
    EXPECT_EQ(bytes, "\x61\x62\x63");
    EXPECT_TRUE(TextToBytes("").empty());
}

}  // namespace
}  // namespace velmora
