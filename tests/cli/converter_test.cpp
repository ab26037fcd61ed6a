// End-to-end tests of velmora-convert: the built program is run on small
// files written here, and its exact output bytes, messages and exit codes are
// checked.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "converter_process.h"
#include "text/lines.h"
#include "text/results.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

const std::string kTwoLines = "123.456789\r\n30.6\r\n";
const std::string kTwoLinesOut = "123.456789------2.160174089302\r\n30.6------0.5410520681028\r\n";

using testing::ReadFile;
using testing::ScratchDirectory;
using testing::Sink;
using testing::WriteFile;
using Result = testing::ChildResult;

class ConverterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.empty());
        ASSERT_FALSE(io_.path().empty());
    }

    fs::path Fixture(const std::string& name, const std::string& bytes) {
        WriteFile(dir_ / name, bytes);
        return dir_ / name;
    }

    // Runs the program in the test's folder with these arguments and standard
    // input, read from a file of another folder.
    Result Run(const std::vector<std::string>& args, const std::string& input = "",
               Sink sink = Sink::kFile) {
        WriteFile(io_ / "in", input);
        return testing::RunConverter(args, {.working_directory = dir_.string(),
                                            .stdin_path = (io_ / "in").string(),
                                            .sink = sink});
    }

    std::vector<std::string> DirectoryNames() const { return scratch_.Entries(); }

    ScratchDirectory scratch_;
    ScratchDirectory io_;  // standard input, apart from what the test looks at
    const fs::path& dir_ = scratch_.path();
};

TEST_F(ConverterTest, TwoLineFileGivesTheResultsFileBytes) {
    const Result r = Run({Fixture("a.txt", kTwoLines).string()});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, kTwoLinesOut);
    EXPECT_EQ(r.err, "");
}

struct LinesCase {
    const char* what;
    std::string file;
    std::string expected;
};

void PrintTo(const LinesCase& c, std::ostream* os) {
    *os << c.what;
}

class ConverterLinesTest : public ConverterTest, public ::testing::WithParamInterface<LinesCase> {};

TEST_P(ConverterLinesTest, CutsLinesAsTheBatchConversionDoes) {
    const Result r = Run({Fixture("in.txt", GetParam().file).string()});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConverterLinesTest,
    ::testing::Values(
        LinesCase{"column 0 stays untrimmed", "  123.456789  \r\n\t30.6\r\n",
                  "  123.456789  ------2.160174089302\r\n\t30.6------0.5410520681028\r\n"},
        LinesCase{"empty line is a line", "30.6\r\n\r\n30.6",
                  "30.6------0.5410520681028\r\n------0\r\n30.6------0.5410520681028\r\n"},
        LinesCase{"LF-only file is one line", "123.456789\n30.6\n",
                  "123.456789\n30.6\n------2.160174089302\r\n"},
        LinesCase{"byte-order mark skipped", "\xEF\xBB\xBF" + kTwoLines, kTwoLinesOut},
        LinesCase{"text ends at the first NUL", kTwoLines + std::string(1, '\0') + "7\r\n",
                  kTwoLinesOut},
        LinesCase{"CR as second byte of a character", "\xB0\r\n30.6", "\xB0\r\n30.6------0\r\n"},
        LinesCase{"not a number", "abc\r\n", "abc------0\r\n"}, LinesCase{"empty file", "", ""}),
    [](const ::testing::TestParamInfo<LinesCase>& info) {
        std::string name;
        for (const char ch : std::string(info.param.what)) {
            name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        }
        return name;
    });

TEST_F(ConverterTest, ConvertsFilesAndStandardInputInOrder) {
    const std::string a = Fixture("a.txt", "30.6\r\n").string();
    // Each file's own mark is skipped, not just the first file's.
    const std::string b = Fixture("b.txt",
                                  "\xEF\xBB\xBF"
                                  "123.456789")
                              .string();
    const Result r = Run({a, "-", b},
                         "\xEF\xBB\xBF"
                         "1\r\n");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out,
              "30.6------0.5410520681028\r\n"
              "1------0.01745329251944\r\n"
              "123.456789------2.160174089302\r\n");

    const Result from_stdin = Run({}, kTwoLines);
    EXPECT_EQ(from_stdin.exit_code, 0);
    EXPECT_EQ(from_stdin.out, kTwoLinesOut);
}

// Output several chunks long, and a line longer than a chunk, come out as the
// in-process pipeline builds them.
TEST_F(ConverterTest, LongOutputMatchesThePipeline) {
    std::string input;
    for (int i = 0; i < 120000; ++i) {
        input += std::to_string(i % 360) + "." + std::to_string(1000 + i % 9000) + "\r\n";
    }
    input += std::string(3 << 20, '7') + "\n1.5\r\n2";
    std::string expected;
    LineSplitter splitter(input, kLineDelimiter);
    std::string_view line;
    while (splitter.Next(line)) {
        AppendConvertedLine(expected, line);
    }
    const Result r = Run({Fixture("big.txt", input).string()});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out.size(), expected.size());
    EXPECT_TRUE(r.out == expected);
}

TEST_F(ConverterTest, OutputOptionReplacesTheTargetWhole) {
    const std::string input = Fixture("a.txt", kTwoLines).string();
    const std::string target =
        Fixture("out.txt", "old results, longer than the new ones\r\n" + std::string(500, 'x'))
            .string();
    const Result r = Run({"-o", target, input});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadFile(target), kTwoLinesOut);
    // No temporary file is left beside the target.
    EXPECT_EQ(DirectoryNames(), (std::vector<std::string>{"a.txt", "out.txt"}));

    // The input is read before the target is replaced, so a file can be
    // converted in place.
    const Result in_place = Run({"-o", input, input});
    EXPECT_EQ(in_place.exit_code, 0);
    EXPECT_EQ(ReadFile(input), kTwoLinesOut);
}

TEST_F(ConverterTest, OutputOptionThatCannotBeWrittenChangesNothing) {
    const std::string input = Fixture("a.txt", kTwoLines).string();
    // A regular file used as a directory: the path cannot exist, even for root.
    const std::string impossible = input + "/out.txt";
    const Result r = Run({"-o", impossible, input});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("velmora-convert: " + impossible + ": "), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(input), kTwoLines);

    // An existing target that cannot be replaced keeps what it holds.
    fs::create_directory(dir_ / "results");
    Fixture("results/kept.txt", "kept");
    const Result on_directory = Run({"-o", (dir_ / "results").string(), input});
    EXPECT_EQ(on_directory.exit_code, 1);
    EXPECT_NE(on_directory.err.find((dir_ / "results").string()), std::string::npos);
    EXPECT_EQ(ReadFile(dir_ / "results" / "kept.txt"), "kept");
    EXPECT_EQ(DirectoryNames(), (std::vector<std::string>{"a.txt", "results"}));
}

TEST_F(ConverterTest, AngleOptionPrintsOnlyTheRadians) {
    const Result r = Run({"-a", "123.456789", "--angle", " 30.6 ", "-a", "-1"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, "2.160174089302\n0.5410520681028\n-0.01745329251944\n");
    EXPECT_EQ(r.err, "");

    const std::string target = (dir_ / "angle.txt").string();
    EXPECT_EQ(Run({"-o", target, "-a", "30.6"}).exit_code, 0);
    EXPECT_EQ(ReadFile(target), "0.5410520681028\n");
}

TEST_F(ConverterTest, UnreadableFileIsReportedAndTheOthersConverted) {
    const std::string missing = (dir_ / "missing.txt").string();
    const std::string good = Fixture("a.txt", kTwoLines).string();
    const Result r = Run({missing, dir_.string(), good});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, kTwoLinesOut);
    EXPECT_NE(r.err.find("velmora-convert: " + missing + ": "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("velmora-convert: " + dir_.string() + ": "), std::string::npos) << r.err;
}

TEST_F(ConverterTest, BadUsageShowsTheUsageAndExitsWith2) {
    const std::vector<std::vector<std::string>> bad_usages = {
        {"-x"}, {"--bogus", "a.txt"}, {"-o"}, {"a.txt", "-a"}, {"--angle"}, {"-a", "1", "a.txt"}};
    for (const auto& args : bad_usages) {
        const Result r = Run(args);
        EXPECT_EQ(r.exit_code, 2) << args[0];
        EXPECT_EQ(r.out, "") << args[0];
        EXPECT_NE(r.err.find("Usage: velmora-convert"), std::string::npos) << args[0];
    }
    EXPECT_NE(Run({"-x"}).err.find("unknown option '-x'"), std::string::npos);
    EXPECT_NE(Run({"-o"}).err.find("option '-o' needs a value"), std::string::npos);
}

TEST_F(ConverterTest, HelpAndVersionGoToStandardOutput) {
    for (const char* option : {"-h", "--help"}) {
        const Result r = Run({option, "-x"});
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(r.out.rfind("Usage: velmora-convert", 0), 0u);
        EXPECT_EQ(r.err, "");
    }
    const Result version = Run({"--version"});
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_EQ(version.out.rfind("velmora-convert ", 0), 0u);
}

TEST_F(ConverterTest, DoubleDashEndsTheOptions) {
    Fixture("-h", kTwoLines);
    Fixture("-", "30.6");
    const Result r = Run({"--", "-h", "-"}, "1");
    EXPECT_EQ(r.exit_code, 0);
    // "-" stays standard input, as everywhere else.
    EXPECT_EQ(r.out, kTwoLinesOut + "1------0.01745329251944\r\n");
}

TEST_F(ConverterTest, FailedWriteIsReportedWithExit1) {
    const std::string input = Fixture("a.txt", kTwoLines).string();
    const Result full = Run({input}, "", Sink::kDevFull);
    EXPECT_EQ(full.exit_code, 1);
    EXPECT_EQ(full.err, "velmora-convert: standard output: no space left on device\n");

    const Result closed = Run({input}, "", Sink::kClosedPipe);
    EXPECT_EQ(closed.exit_code, 1);
    EXPECT_EQ(closed.err, "velmora-convert: standard output: broken pipe\n");
}

}  // namespace
}  // namespace velmora
