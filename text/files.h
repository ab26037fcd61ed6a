// Whole-file access. Names are byte strings handed to the file system as they
// are. A read never reports why it failed (the empty block); a write says only
// whether it succeeded. Writes replace their target atomically, so a failed
// save never destroys the previous results.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Largest block a file may fill: its length is a 32-bit signed count.
inline constexpr long long kMaxBlockSize = 0x7FFFFFFF;

// The whole file, or the empty block for an empty name, a missing, unreadable
// or empty file, a directory, or a file of 2^31 bytes or more.
std::string ReadWholeFile(const std::string& name);

// Like ReadWholeFile, but says why it failed: returns false and sets error to
// a short reason ("No such file or directory", "is a directory", ...).
// An empty file is not a failure.
bool ReadWholeFileReporting(const std::string& name, std::string& data, std::string& error);

// Creates or replaces name with exactly data. Writes a temporary file in the
// same directory and renames it over name only when every byte is on disk; on
// any failure returns false, removes the temporary file and leaves an
// existing target as it was.
bool WriteWholeFile(const std::string& name, std::string_view data);

// The same atomic replacement, fed in pieces (for output built as it streams).
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string target);
    ~AtomicFileWriter();  // abandons an uncommitted temporary file
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file; false (with error set) when it cannot.
    bool Open();
    bool Write(std::string_view bytes);
    // Flushes, syncs and renames over the target; false on any failure, after
    // which the temporary file is gone and the target untouched.
    bool Commit();
    void Abandon();
    const std::string& Error() const { return error_; }

private:
    bool Fail(const char* what);
    std::string target_;
    std::string temp_path_;
    std::string error_;
    int fd_ = -1;
};

}  // namespace velmora
