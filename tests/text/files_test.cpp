#include "text/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

#include "scratch_directory.h"
#include "scripted_writes.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

using testing::ReadFile;

// Each test works in a fresh directory of its own, removed afterwards.
class FilesTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(dir_.empty()); }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    void Put(const std::string& name, const std::string& bytes) const {
        testing::WriteFile(Path(name), bytes);
    }

    std::set<std::string> Entries() const { return testing::Entries(dir_); }

    testing::ScratchDirectory scratch_;
    const std::string dir_ = scratch_.path().string();
};

TEST_F(FilesTest, ReadsWholeFilesOrSaysWhyNot) {
    Put("empty.txt", "");
    Put("nul.txt", "12.3\0\r\n4\0"s);
    fs::create_directory(Path("folder"));
    ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);

    const struct {
        std::string name;
        bool ok;
        std::string data;
        std::string reason;
    } cases[] = {
        {"", false, "", "no file name"},
        {Path("missing.txt"), false, "", "no such file or directory"},
        {Path("empty.txt"), true, "", ""},
        {Path("nul.txt"), true, "12.3\0\r\n4\0"s, ""},  // NULs are kept
        {Path("folder"), false, "", "is a directory"},
        // Nobody writes to the pipe: it reads as empty at once.
        {Path("pipe"), true, "", ""},
        // A device could be read forever.
        {"/dev/zero", false, "", "not a regular file"},
    };
    for (const auto& c : cases) {
        std::string data = "stale";
        std::string error;
        EXPECT_EQ(ReadWholeFileReporting(c.name, data, error), c.ok) << c.name;
        EXPECT_EQ(data, c.data) << c.name;
        EXPECT_EQ(error, c.reason) << c.name;
        EXPECT_EQ(ReadWholeFile(c.name), c.data) << c.name;
    }
}

TEST_F(FilesTest, RefusesFilesOfTwoGibibytesOrMoreBeforeReading) {
    // Sparse files: the size alone must decide, nothing is read.
    const struct {
        const char* name;
        off_t size;
    } cases[] = {{"2GiB", off_t{1} << 31}, {"3GiB", off_t{3} << 30}};
    for (const auto& c : cases) {
        const int fd = ::open(Path(c.name).c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, c.size), 0);
        ::close(fd);
        std::string data;
        std::string error;
        EXPECT_FALSE(ReadWholeFileReporting(Path(c.name), data, error)) << c.name;
        EXPECT_EQ(error, "larger than 2 GiB");
        EXPECT_TRUE(data.empty());
    }
}

TEST(ReadAllFromDescriptor, ReadsAPipeToItsEnd) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    // The reading end is non-blocking and the data may come late: the read
    // must wait for it rather than give up on EAGAIN.
    ASSERT_EQ(::fcntl(ends[0], F_SETFL, O_NONBLOCK), 0);
    const std::string sent = "12.3\r\n\0" + std::string(200000, '7');
    std::thread writer([&] {
        EXPECT_EQ(::write(ends[1], sent.data(), sent.size()), static_cast<ssize_t>(sent.size()));
        ::close(ends[1]);
    });
    std::string data;
    std::string error;
    EXPECT_TRUE(ReadAllFromDescriptor(ends[0], data, error)) << error;
    writer.join();
    EXPECT_EQ(data, sent);
    ::close(ends[0]);

    EXPECT_FALSE(ReadAllFromDescriptor(-1, data, error));
    EXPECT_EQ(error.rfind("read error", 0), 0u) << error;
    EXPECT_TRUE(data.empty());
}

TEST_F(FilesTest, WriteWholeFileReplacesOrFailsWithoutSideEffects) {
    Put("old.txt", "a much longer old content\r\n");
    Put("plain", "not a folder");
    fs::create_directory(Path("folder"));

    const struct {
        std::string name;
        std::string data;
        bool ok;
    } cases[] = {
        {Path("new.txt"), "", true},         // the empty block makes a 0-byte file
        {Path("old.txt"), "1.5\r\n", true},  // the old tail is gone
        {"", "x", false},
        {Path("missing/out.txt"), "x", false},
        {Path("plain/out.txt"), "x", false},  // a regular file used as a folder
        {Path("folder"), "x", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WriteWholeFile(c.name, c.data), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(ReadFile(c.name), c.data) << c.name;
        }
    }
    // Nothing else appeared: no missing folder, no temporary files.
    EXPECT_EQ(Entries(), (std::set<std::string>{"new.txt", "old.txt", "plain", "folder"}));
    EXPECT_TRUE(fs::is_empty(Path("folder")));
    EXPECT_EQ(ReadFile(Path("plain")), "not a folder");
}

// Lowers the file size limit for one test; writes beyond it fail with EFBIG
// (the signal that would end the process is ignored meanwhile).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, old_handler_);
    }

  private:
    rlimit saved_{};
    void (*old_handler_)(int);
};

TEST_F(FilesTest, FailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
    Put("results.txt", "old results\r\n");
    bool written;
    {
        FileSizeLimit limit(10);
        written = WriteWholeFile(Path("results.txt"), std::string(100, '9'));
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFile(Path("results.txt")), "old results\r\n");
    EXPECT_EQ(Entries(), std::set<std::string>{"results.txt"});
}

TEST_F(FilesTest, ReplacingKeepsPermissionBitsAndSymbolicLinks) {
    Put("results.txt", "old");
    ASSERT_EQ(::chmod(Path("results.txt").c_str(), 0640), 0);
    fs::create_symlink("results.txt", Path("link.txt"));

    ASSERT_TRUE(WriteWholeFile(Path("link.txt"), "new"));
    EXPECT_TRUE(fs::is_symlink(Path("link.txt")));
    EXPECT_EQ(ReadFile(Path("results.txt")), "new");
    struct stat info {};
    ASSERT_EQ(::stat(Path("results.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(FilesTest, AtomicFileWriterStreamsPiecesAndReplacesOnlyOnCommit) {
    Put("out.txt", "previous");
    AtomicFileWriter writer(Path("out.txt"));
    ASSERT_TRUE(writer.Open()) << writer.Error();
    for (const char* piece : {"12.3", "------", "", "0.2146755\r\n"}) {
        ASSERT_TRUE(writer.Write(piece)) << writer.Error();
    }
    EXPECT_EQ(ReadFile(Path("out.txt")), "previous");
    ASSERT_TRUE(writer.Commit()) << writer.Error();
    EXPECT_EQ(ReadFile(Path("out.txt")), "12.3------0.2146755\r\n");
    EXPECT_EQ(Entries(), std::set<std::string>{"out.txt"});
}

TEST_F(FilesTest, AbandonedWritesLeaveNothing) {
    {
        AtomicFileWriter abandoned(Path("a.txt"));
        ASSERT_TRUE(abandoned.Open());
        ASSERT_TRUE(abandoned.Write("data"));
        abandoned.Abandon();
        EXPECT_FALSE(abandoned.Write("more"));
        EXPECT_FALSE(abandoned.Commit());

        AtomicFileWriter dropped(Path("b.txt"));  // the destructor abandons
        ASSERT_TRUE(dropped.Open());
        ASSERT_TRUE(dropped.Write("data"));
    }
    EXPECT_TRUE(Entries().empty());
}

TEST_F(FilesTest, ConcurrentSavesUseTheirOwnTemporaryFilesAndTheLastRenameWins) {
    AtomicFileWriter first(Path("out.txt"));
    AtomicFileWriter second(Path("out.txt"));
    ASSERT_TRUE(first.Open());
    ASSERT_TRUE(second.Open());
    EXPECT_NE(first.TemporaryPath(), second.TemporaryPath());
    ASSERT_TRUE(first.Write("first, longer\r\n"));
    ASSERT_TRUE(second.Write("second\r\n"));
    ASSERT_TRUE(first.Commit());
    ASSERT_TRUE(second.Commit());
    EXPECT_EQ(ReadFile(Path("out.txt")), "second\r\n");
    EXPECT_EQ(Entries(), std::set<std::string>{"out.txt"});
}

TEST_F(FilesTest, WriterSurvivesShortWritesAndFailsCleanlyAtAnyByte) {
    const std::string data = "123.456789------2.160174089302\r\n";
    const struct {
        const char* what;
        testing::WriteScript script;
        bool ok;
        const char* reason;
    } cases[] = {
        {"short and interrupted writes", {.chunk = 3, .interruptions = 2}, true, ""},
        {"full at byte 0", {.fail_at = 0}, false, "write failed: no space left on device"},
        {"full in the middle", {.chunk = 5, .fail_at = 12}, false, "write failed"},
        {"full at the last byte", {.fail_at = data.size() - 1}, false, "write failed"},
        {"flush fails", {.fail_flush = true}, false, "flush failed: input/output error"},
    };
    for (const auto& c : cases) {
        Put("out.txt", "old");
        testing::write_script = c.script;
        AtomicFileWriter writer(Path("out.txt"), testing::kScriptedCalls);
        ASSERT_TRUE(writer.Open()) << c.what;
        // Two pieces, so a failure can fall in either.
        const bool ok =
            writer.Write(data.substr(0, 10)) && writer.Write(data.substr(10)) && writer.Commit();
        EXPECT_EQ(ok, c.ok) << c.what;
        EXPECT_EQ(writer.Error().rfind(c.reason, 0), 0u) << c.what << ": " << writer.Error();
        EXPECT_EQ(ReadFile(Path("out.txt")), c.ok ? data : "old") << c.what;
        EXPECT_EQ(Entries(), std::set<std::string>{"out.txt"}) << c.what;
    }
}

}  // namespace
}  // namespace velmora
