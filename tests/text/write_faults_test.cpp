// Saving must never lose the previous results: whatever fails while a file is
// replaced (a write at any byte, the flush, the rename, a really full disk),
// the save reports false, the old file keeps every byte, and no temporary
// file is left beside it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "scratch_directory.h"
#include "scripted_writes.h"
#include "small_disk.h"
#include "text/files.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::Entries;
using testing::kScriptedCalls;
using testing::ReadFile;
using testing::write_script;
using testing::WriteFile;

class WriteFaultsTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(dir_.empty()); }

    testing::ScratchDirectory scratch_;
    const std::string dir_ = scratch_.path().string();
    const std::string target_ = dir_ + "/Velmora results.txt";
};

// The previous save, which every failure must leave alone.
const std::string kPrevious = "30.6------0.5410520681028\r\n";

// Three pieces as the converter streams them, so a failure can fall into the
// first, a middle or the last write.
const std::vector<std::string> kPieces = {
    "123.456789------2.160174089302\r\n",
    "\r\n------0\r\n",
    "1e400------1.#INF\r\n",
};

// Opens, writes every piece and commits, going on as a careless caller would
// after a failure: nothing after the failure may bring the file in.
bool SaveAllPieces(AtomicFileWriter& writer) {
    bool ok = writer.Open();
    for (const std::string& piece : kPieces) {
        ok = writer.Write(piece) && ok;
    }
    return writer.Commit() && ok;
}

class WriteFaultsAtByteTest : public WriteFaultsTest {
  protected:
    // Saves the pieces under the script and expects the save to fail with this
    // reason, leaving the previous file alone and nothing beside it.
    void ExpectCleanFailure(const testing::WriteScript& script, const std::string& reason) {
        WriteFile(target_, kPrevious);
        write_script = script;
        AtomicFileWriter writer(target_, kScriptedCalls);
        EXPECT_FALSE(SaveAllPieces(writer));
        EXPECT_EQ(writer.Error(), reason);
        EXPECT_EQ(ReadFile(target_), kPrevious);
        EXPECT_EQ(Entries(dir_), std::set<std::string>{"Velmora results.txt"});
    }
};

TEST_F(WriteFaultsAtByteTest, WriteFailingAtAnyByteKeepsThePreviousFile) {
    std::size_t total = 0;
    for (const std::string& piece : kPieces) {
        total += piece.size();
    }
    // Every byte position, with writes of one byte, of a few bytes, and whole.
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{7}, SIZE_MAX}) {
        for (std::size_t fail_at = 0; fail_at < total; ++fail_at) {
            SCOPED_TRACE(::testing::Message()
                         << "writes of " << chunk << " bytes, failing at byte " << fail_at);
            ExpectCleanFailure({.chunk = chunk, .fail_at = fail_at},
                               "write failed: no space left on device");
            if (HasFailure()) {
                return;  // one failing position tells enough
            }
        }
    }
}

TEST_F(WriteFaultsAtByteTest, EveryKindOfWriteErrorIsReported) {
    const struct {
        int error;
        const char* reason;
    } errors[] = {
        {EIO, "write failed: input/output error"},
        {EFBIG, "write failed: file too large"},
        {EDQUOT, "write failed: disk quota exceeded"},
        // A write that stores nothing and reports nothing must not be retried
        // forever.
        {0, "write failed: no space left on device"},
    };
    for (const auto& e : errors) {
        SCOPED_TRACE(e.reason);
        ExpectCleanFailure({.fail_at = 40, .error = e.error}, e.reason);
    }
}

TEST_F(WriteFaultsTest, FailedFlushKeepsThePreviousFile) {
    for (const bool existing : {true, false}) {
        fs::remove(target_);
        if (existing) {
            WriteFile(target_, kPrevious);
        }
        write_script = {.fail_flush = true};
        AtomicFileWriter writer(target_, kScriptedCalls);
        EXPECT_FALSE(SaveAllPieces(writer));
        EXPECT_EQ(writer.Error(), "flush failed: input/output error");
        // A new file is not created half-written either.
        if (existing) {
            EXPECT_EQ(ReadFile(target_), kPrevious);
            EXPECT_EQ(Entries(dir_), std::set<std::string>{"Velmora results.txt"});
        } else {
            EXPECT_TRUE(Entries(dir_).empty());
        }
    }
}

TEST_F(WriteFaultsTest, FailedRenameRemovesTheTemporaryFile) {
    // The target turns into a directory while the data is being written: the
    // final rename fails, and the directory keeps what it holds.
    AtomicFileWriter writer(target_);
    ASSERT_TRUE(writer.Open()) << writer.Error();
    ASSERT_TRUE(writer.Write(kPieces[0]));
    fs::create_directory(target_);
    WriteFile(target_ + "/kept.txt", kPrevious);
    EXPECT_FALSE(writer.Commit());
    EXPECT_EQ(writer.Error().rfind("cannot replace", 0), 0u) << writer.Error();
    EXPECT_EQ(writer.TemporaryPath(), "");
    EXPECT_EQ(Entries(dir_), std::set<std::string>{"Velmora results.txt"});
    EXPECT_EQ(ReadFile(target_ + "/kept.txt"), kPrevious);
}

TEST(WriteFaultsOnAFullDisk, SaveThatDoesNotFitKeepsThePreviousFile) {
    testing::SmallDisk disk(64 * 1024);
    if (!disk.mounted()) {
        GTEST_SKIP() << disk.why_not();
    }
    const std::string target = disk.Path("results.txt");
    ASSERT_TRUE(WriteWholeFile(target, kPrevious));

    // Larger than the whole disk: fails part of the way through.
    EXPECT_FALSE(WriteWholeFile(target, std::string(256 * 1024, '7')));
    EXPECT_EQ(ReadFile(target), kPrevious);
    EXPECT_EQ(Entries(disk.path()), std::set<std::string>{"results.txt"});

    // Fill what is left, then save a single byte.
    const int filler = ::open(disk.Path("filler").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(filler, 0);
    const std::string page(4096, 'f');
    while (::write(filler, page.data(), page.size()) > 0) {
    }
    EXPECT_EQ(errno, ENOSPC);
    ::close(filler);
    EXPECT_FALSE(WriteWholeFile(target, "1"));
    EXPECT_EQ(ReadFile(target), kPrevious);
    EXPECT_EQ(Entries(disk.path()), (std::set<std::string>{"filler", "results.txt"}));
}

}  // namespace
}  // namespace velmora
