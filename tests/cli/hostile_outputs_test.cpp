// velmora-convert -o when the target cannot be written: a path that cannot
// exist, a directory, a write that fails halfway, a full disk. Each must end
// with a message and exit 1, the previous target intact byte for byte, and no
// temporary file left anywhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../text/small_disk.h"
#include "converter_process.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::ChildResult;
using testing::ReadFile;
using testing::RunConverter;
using testing::ScratchDirectory;
using testing::WriteFile;

const std::string kPrevious = "30.6------0.5410520681028\r\n";

// About 3.2 MB of output: several of the converter's 1 MiB chunks, so a
// failure can come after part of the output has been written.
std::string ManyAngles() {
    std::string input;
    for (int i = 0; i < 100'000; ++i) {
        input += "123.456789\r\n";
    }
    return input;
}

struct FaultCase {
    const char* what;
    std::string target;  // the -o argument
    rlim_t file_size_limit;
    std::string reason;  // the end of the message
};

// Every path under root, to notice a file left behind (or one removed).
std::vector<std::string> Tree(const std::string& root) {
    std::vector<std::string> paths;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// Runs the converter into a target that cannot be written; the previous
// results file must keep its bytes and nothing may change under root.
void ExpectNothingLost(const FaultCase& c, const std::string& input, const std::string& previous,
                       const std::string& root) {
    SCOPED_TRACE(c.what);
    const std::vector<std::string> before = Tree(root);
    const ChildResult result =
        RunConverter({"-o", c.target, input}, {.file_size_limit = c.file_size_limit});
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(result.err, "velmora-convert: " + c.target + ": " + c.reason + "\n");
    EXPECT_EQ(ReadFile(previous), kPrevious);
    EXPECT_EQ(Tree(root), before) << "a file was left behind or removed";
}

TEST(HostileOutputs, TargetsThatCannotBeWrittenKeepThePreviousFile) {
    ScratchDirectory dir;
    const std::string input = (dir / "angles.txt").string();
    WriteFile(input, ManyAngles());
    fs::create_directory(dir / "out");
    const std::string previous = (dir / "out" / "results.txt").string();
    WriteFile(previous, kPrevious);

    const FaultCase cases[] = {
        {"a regular file used as a directory", previous + "/results.txt", 0,
         "cannot create: a part of the path is not a directory"},
        {"a directory as the target", (dir / "out").string(), 0, "cannot replace: is a directory"},
        // The file size limit makes the write fail with EFBIG once the first
        // chunk is on disk.
        {"a write failing halfway", previous, 1536 * 1024, "write failed: file too large"},
    };
    for (const FaultCase& c : cases) {
        ExpectNothingLost(c, input, previous, dir.path().string());
    }
}

TEST(HostileOutputs, FullDiskKeepsThePreviousFile) {
    testing::SmallDisk disk(256 * 1024);
    if (!disk.mounted()) {
        GTEST_SKIP() << disk.why_not();
    }
    ScratchDirectory dir;
    const std::string input = (dir / "angles.txt").string();
    WriteFile(input, ManyAngles());
    const std::string previous = disk.Path("results.txt");
    WriteFile(previous, kPrevious);
    ExpectNothingLost({"a full disk", previous, 0, "write failed: no space left on device"}, input,
                      previous, disk.path());
}

// With -o, an input that cannot be read is reported and exit is 1; the target
// is then left untouched, so a mistyped name cannot replace the previous
// results with the output of the other inputs (or with an empty file).
TEST(HostileOutputs, UnreadableInputKeepsThePreviousFile) {
    ScratchDirectory dir;
    const std::string previous = (dir / "results.txt").string();
    WriteFile(previous, kPrevious);
    const std::string readable = (dir / "angles.txt").string();
    WriteFile(readable, "123.456789\r\n");
    for (const std::vector<std::string>& inputs :
         {std::vector<std::string>{(dir / "missing.txt").string()},
          std::vector<std::string>{readable, (dir / "missing.txt").string()}}) {
        std::vector<std::string> args = {"-o", previous};
        args.insert(args.end(), inputs.begin(), inputs.end());
        const ChildResult result = RunConverter(args);
        EXPECT_EQ(result.exit_code, 1);
        EXPECT_EQ(ReadFile(previous), kPrevious);
        EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"angles.txt", "results.txt"}));
    }
}

// Under a file size limit (`ulimit -f`) the kernel would end the converter
// with SIGXFSZ in the middle of its output, without a message, leaving the
// temporary file behind. The converter ignores the signal, so the write fails
// with EFBIG, which is reported, and the temporary file is removed.
TEST(HostileOutputs, FileSizeLimitOfTheShellIsAFailedWrite) {
    ScratchDirectory dir;
    const std::string input = (dir / "angles.txt").string();
    WriteFile(input, ManyAngles());
    const std::string previous = (dir / "results.txt").string();
    WriteFile(previous, kPrevious);
    const std::vector<std::string> before = Tree(dir.path().string());
    const ChildResult result =
        RunConverter({"-o", previous, input},
                     {.file_size_limit = 1536 * 1024, .file_size_signal_ignored = false});
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(result.err, "velmora-convert: " + previous + ": write failed: file too large\n");
    EXPECT_EQ(ReadFile(previous), kPrevious);
    EXPECT_EQ(Tree(dir.path().string()), before) << "the temporary file was left behind";
}

}  // namespace
}  // namespace velmora
