// End-to-end tests of velmora-convert: the built program is run on small
// files written here, and its exact output bytes, messages and exit codes are
// checked.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "text/lines.h"
#include "text/results.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

const std::string kTwoLines = "123.456789\r\n30.6\r\n";
const std::string kTwoLinesOut = "123.456789------2.160174089302\r\n30.6------0.5410520681028\r\n";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

struct Result {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// Where the converter's standard output goes.
enum class Sink { kFile, kDevFull, kClosedPipe };

class ConverterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "velmora-convert-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path Fixture(const std::string& name, const std::string& bytes) {
        WriteFile(dir_ / name, bytes);
        return dir_ / name;
    }

    // Runs the program in the test's folder with these arguments and standard
    // input; standard output and error are caught in files of another folder.
    Result Run(const std::vector<std::string>& args, const std::string& input = "",
               Sink sink = Sink::kFile) {
        const fs::path io = dir_.string() + ".io";
        fs::create_directory(io);
        WriteFile(io / "in", input);
        ChildSetUp setup{dir_.string(),
                         (io / "in").string(),
                         (io / "out").string(),
                         (io / "err").string(),
                         sink,
                         -1,
                         {const_cast<char*>(VELMORA_CONVERT_EXE)}};
        for (const std::string& arg : args) {
            setup.argv.push_back(const_cast<char*>(arg.c_str()));
        }
        setup.argv.push_back(nullptr);
        if (sink == Sink::kClosedPipe) {
            // The reading end is closed before the child exists, so its first
            // write meets a pipe without readers.
            int ends[2];
            EXPECT_EQ(::pipe(ends), 0);
            ::close(ends[0]);
            setup.pipe_end = ends[1];
        }
        const pid_t child = ::fork();
        if (child == 0) {
            RedirectAndExec(setup);
        }
        if (setup.pipe_end >= 0) {
            ::close(setup.pipe_end);
        }
        Result result;
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, 0), child);
        result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        result.out = ReadFile(io / "out");
        result.err = ReadFile(io / "err");
        fs::remove_all(io);
        return result;
    }

    std::vector<std::string> DirectoryNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;

  private:
    // Everything the child needs, prepared before the fork so that the child
    // only makes system calls.
    struct ChildSetUp {
        std::string work_dir, in, out, err;
        Sink sink;
        int pipe_end;
        std::vector<char*> argv;
    };

    [[noreturn]] static void RedirectAndExec(const ChildSetUp& setup) {
        const int in = ::open(setup.in.c_str(), O_RDONLY);
        const int err = ::open(setup.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int out = setup.pipe_end;
        if (setup.sink == Sink::kFile) {
            out = ::open(setup.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        } else if (setup.sink == Sink::kDevFull) {
            out = ::open("/dev/full", O_WRONLY);
        }
        if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
            ::dup2(err, 2) < 0 || ::chdir(setup.work_dir.c_str()) != 0) {
            ::_exit(127);
        }
        ::execv(VELMORA_CONVERT_EXE, setup.argv.data());
        ::_exit(127);
    }
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
