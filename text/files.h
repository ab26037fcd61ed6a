// Whole-file access. Names are byte strings handed to the file system as they
// are. A read never reports why it failed (the empty block); a write says only
// whether it succeeded. Writes replace their target atomically, so a failed
// save never destroys the previous results.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// A short reason for a failed system call, from a table of our own: the
// window toolkit sets the locale, and messages must not change with it.
std::string SystemErrorText(int err);

// Largest block a file may fill: its length is a 32-bit signed count.
inline constexpr long long kMaxBlockSize = 0x7FFFFFFF;

// The whole file, or the empty block for an empty name, a missing, unreadable
// or empty file, a directory, a device, a named pipe, or a file of 2^31 bytes
// or more. A named pipe is not read because reading it waits until its writer
// closes it: a caller on a window's one thread would freeze for as long as
// another program chooses.
std::string ReadWholeFile(const std::string& name);

// Like ReadWholeFile, but reads named pipes, and says why it failed: returns
// false and sets error to a short reason ("no such file or directory", "is a
// directory", "larger than 2 GiB", ...). An empty file is not a failure.
//
// Regular files are read after their size is checked, so a huge file is
// refused before anything is read. Named pipes are read to their end as well
// (a converter fed through a pipe means its contents); they are opened without
// waiting, so a pipe nobody writes to reads as empty at once. Devices and
// sockets are refused ("not a regular file"): reading them could block
// forever or never end.
bool ReadWholeFileReporting(const std::string& name, std::string& data, std::string& error);

// Reads an open descriptor (standard input, a pipe) to its end, appending to
// data; false with a reason on a read error or beyond 2^31 - 1 bytes. The
// descriptor stays open.
bool ReadAllFromDescriptor(int fd, std::string& data, std::string& error);

// Creates or replaces name with exactly data. Writes a temporary file in the
// same directory and renames it over name only when every byte is on disk; on
// any failure returns false, removes the temporary file and leaves an
// existing target as it was. An empty name, a missing directory, or a target
// that is a directory or device give false.
bool WriteWholeFile(const std::string& name, std::string_view data);

// Makes a write beyond the shell's file size limit (ulimit -f) fail like a
// full disk, for the whole process: the writers then report it and clean up.
// By default the system ends the process at that write instead, leaving the
// temporary file behind and, in the window, losing the rows. Each program
// calls it as it starts.
void FailWritesBeyondFileSizeLimit();

// The system calls that put bytes on disk. The writer goes through these so
// that a test can make a write or the flush fail at any chosen byte.
struct FileWriteCalls {
    ssize_t (*write)(int fd, const void* bytes, size_t count);
    int (*fsync)(int fd);
};
const FileWriteCalls& SystemFileWriteCalls();

// Writes every byte to an open descriptor, going on after short writes and
// interruptions; false with errno set on any other failure. A write that
// stores nothing and reports nothing counts as a full disk (ENOSPC).
bool WriteAllToDescriptor(int fd, std::string_view bytes,
                          const FileWriteCalls& calls = SystemFileWriteCalls());

// The same atomic replacement, fed in pieces (for output built as it streams).
// Usage: Open, Write as often as needed, Commit. Any failure abandons the
// temporary file; later calls then return false.
class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(std::string target,
                              const FileWriteCalls& calls = SystemFileWriteCalls());
    ~AtomicFileWriter();  // abandons an uncommitted temporary file
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file; false (with error set) when it cannot.
    bool Open();
    bool Write(std::string_view bytes);
    // Flushes, syncs and renames over the target; false on any failure, after
    // which the temporary file is gone and the target untouched.
    bool Commit();
    // Removes the temporary file; the target is left as it was.
    void Abandon();
    const std::string& Error() const { return error_; }
    // The temporary file while one is open, otherwise empty.
    const std::string& TemporaryPath() const { return temp_path_; }

  private:
    bool CreateTemporary(mode_t mode, bool keep_mode);
    bool Fail(const char* what, int err);
    bool NotOpen();
    bool WriteAll(std::string_view bytes);
    std::string target_;
    std::string temp_path_;
    std::string error_;
    FileWriteCalls calls_;
    int fd_ = -1;
};

}  // namespace velmora
