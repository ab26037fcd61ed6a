// velmora-convert on inputs that are odd, broken, huge or not files at all.
// Each must give the lines the batch conversion defines, or be refused with a
// message and exit 1: never a hang, a crash, or output made up from nothing.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <string>
#include <string_view>

#include "converter_process.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::ChildResult;
using testing::RunConverter;
using testing::ScratchDirectory;
using testing::Sink;
using testing::WriteFile;

// The angle of the examples and its radians.
const std::string kAngle = "123.456789";
const std::string kAngleLine = "123.456789------2.160174089302\r\n";

// Converts the file, keeping the standard output.
ChildResult Convert(const std::string& input_path) {
    return RunConverter({input_path}, {.sink = Sink::kFile});
}

TEST(HostileInputs, OddBytesGiveTheDefinedLines) {
    const struct {
        const char* what;
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"an empty file", "", ""},
        {"nothing but NUL bytes", std::string(4096, '\0'), ""},
        {"a NUL in the middle ends the text", kAngle + "\r\n30.6\0\r\n99\r\n"s,
         kAngleLine + "30.6------0.5410520681028\r\n"},
        {"invalid GBK pairs are a line like any other", "\x81\x30\xFF\xFF\r\n" + kAngle,
         "\x81\x30\xFF\xFF------0\r\n" + kAngleLine},
        {"a lead byte at the very end", kAngle + "\r\n\xB0", kAngleLine + "\xB0------0\r\n"},
        {"a lead byte before CR LF joins the lines", "\xB0\r\n" + kAngle + "\r\n",
         "\xB0\r\n" + kAngle + "------0\r\n"},
        {"a truncated full-width character behind a number", kAngle + "\xA3",
         kAngle + "\xA3------2.160174089302\r\n"},
        {"UTF-16 little-endian with its byte-order mark", "\xFF\xFE\x31\0\x32\0\r\0\n\0"s,
         "\xFF\xFE\x31------0\r\n"},
        {"UTF-16 big-endian with its byte-order mark", "\xFE\xFF\0\x31\0\x32"s,
         "\xFE\xFF------0\r\n"},
    };
    ScratchDirectory dir;
    for (const auto& c : cases) {
        WriteFile(dir / "input", c.bytes);
        const ChildResult converted = Convert((dir / "input").string());
        EXPECT_EQ(converted.exit_code, 0) << c.what;
        EXPECT_EQ(converted.err, "") << c.what;
        EXPECT_EQ(converted.out, c.expected) << c.what;
    }
}

TEST(HostileInputs, WhatCannotBeReadIsRefusedWithAMessage) {
    ScratchDirectory dir;
    fs::create_directory(dir / "folder");
    fs::create_symlink("loop", dir / "loop");
    // 3 GiB of holes: the size alone must refuse it, as reading it would take
    // the memory of 3 GiB and many seconds.
    const fs::path sparse = dir / "sparse";
    WriteFile(sparse, "");
    fs::resize_file(sparse, std::uintmax_t{3} << 30);
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {(dir / "folder").string(), "is a directory"},
        {(dir / "missing").string(), "no such file or directory"},
        {(dir / "missing/deeper").string(), "no such file or directory"},
        {(dir / "loop").string(), "too many symbolic links"},
        {sparse.string(), "larger than 2 GiB"},
        // A device: reading it would never end.
        {"/dev/zero", "not a regular file"},
    };
    for (const auto& c : cases) {
        const ChildResult converted = Convert(c.path);
        EXPECT_EQ(converted.exit_code, 1) << c.path;
        EXPECT_EQ(converted.err, "velmora-convert: " + c.path + ": " + c.reason + "\n");
        EXPECT_EQ(converted.out, "") << c.path;
    }
}

TEST(HostileInputs, NamedPipesAreReadToTheirEndWithoutWaitingForAWriter) {
    ScratchDirectory dir;
    const std::string fifo = (dir / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    // Nobody writes: the pipe reads as empty at once.
    const ChildResult unwritten = Convert(fifo);
    EXPECT_EQ(unwritten.exit_code, 0);
    EXPECT_EQ(unwritten.out, "");

    // Written and closed before the converter opens it: the data waits in
    // the pipe (our reading end keeps it), and the converter reads it all.
    const int keep_open = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(keep_open, 0);
    const int writer = ::open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    const std::string lines = kAngle + "\r\n" + kAngle;
    ASSERT_EQ(::write(writer, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    ::close(writer);
    const ChildResult written = Convert(fifo);
    ::close(keep_open);
    EXPECT_EQ(written.exit_code, 0) << written.err;
    EXPECT_EQ(written.out, kAngleLine + kAngleLine);
}

// Checks a stream piece by piece against a pattern that repeats, without
// holding the stream.
class RepeatingPatternCheck {
  public:
    explicit RepeatingPatternCheck(std::string pattern) : pattern_(std::move(pattern)) {}
    void operator()(std::string_view piece) {
        for (const char c : piece) {
            mismatches_ += c != pattern_[size_ % pattern_.size()];
            ++size_;
        }
    }
    std::size_t size() const { return size_; }
    std::size_t mismatches() const { return mismatches_; }

  private:
    std::string pattern_;
    std::size_t size_ = 0;
    std::size_t mismatches_ = 0;
};

TEST(HostileInputs, TenMillionEmptyLinesGiveTenMillionLines) {
    constexpr std::size_t kLines = 10'000'000;
    ScratchDirectory dir;
    std::string input;
    input.reserve(2 * kLines);
    for (std::size_t i = 0; i < kLines; ++i) {
        input += "\r\n";
    }
    WriteFile(dir / "input", input);
    input = std::string();

    // Every line is "------0" and CR LF; the output streams through a pipe
    // and is checked byte by byte as it comes.
    RepeatingPatternCheck check("------0\r\n");
    const ChildResult result =
        RunConverter({(dir / "input").string()},
                     {.on_output = [&check](std::string_view piece) { check(piece); }});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(check.size(), kLines * 9);
    EXPECT_EQ(check.mismatches(), 0u);
}

TEST(HostileInputs, OneHundredMegabyteLineWithoutLineEndIsOneLine) {
    constexpr std::size_t kSize = 100u << 20;
    ScratchDirectory dir;
    // A number, then blanks to the end: the line is trimmed and converted,
    // and it comes back whole in front of its radians. Written and checked
    // in pieces, so the test itself holds none of the 100 MB.
    const std::string head = "  " + kAngle;
    {
        std::ofstream input(dir / "input", std::ios::binary);
        input << head;
        const std::string blanks(1 << 20, ' ');
        for (std::size_t written = head.size(); written < kSize; written += blanks.size()) {
            input.write(blanks.data(), std::streamsize(std::min(blanks.size(), kSize - written)));
        }
    }
    const auto expected_line_byte = [&head](std::size_t i) {
        return i < head.size() ? head[i] : ' ';
    };

    const std::string tail = "------2.160174089302\r\n";
    std::size_t size = 0;
    std::size_t line_mismatches = 0;
    std::string end;  // what follows the line
    const ChildResult result =
        RunConverter({(dir / "input").string()}, {.on_output = [&](std::string_view piece) {
                         for (const char c : piece) {
                             if (size < kSize) {
                                 line_mismatches += c != expected_line_byte(size);
                             } else if (end.size() <= tail.size()) {
                                 end += c;
                             }
                             ++size;
                         }
                     }});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(size, kSize + tail.size());
    EXPECT_EQ(line_mismatches, 0u);
    EXPECT_EQ(end, tail);
}

}  // namespace
}  // namespace velmora
