// Whole-file reading and atomic whole-file writing on POSIX calls.
//
// Reasons for failures come from our own short table rather than strerror:
// once the window toolkit has set the locale, strerror would answer in the
// user's language and encoding, and these texts end up next to GBK bytes.
#include "text/files.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <new>

namespace velmora {

std::string SystemErrorText(int err) {
    switch (err) {
        case ENOENT:
            return "no such file or directory";
        case ENOTDIR:
            return "a part of the path is not a directory";
        case EISDIR:
            return "is a directory";
        case EACCES:
        case EPERM:
            return "permission denied";
        case ENOSPC:
            return "no space left on device";
        case EDQUOT:
            return "disk quota exceeded";
        case EROFS:
            return "read-only file system";
        case EFBIG:
            return "file too large";
        case ENAMETOOLONG:
            return "file name too long";
        case ELOOP:
            return "too many symbolic links";
        case EIO:
            return "input/output error";
        case EMFILE:
        case ENFILE:
            return "too many open files";
        case ENOMEM:
            return "out of memory";
        case EPIPE:
            return "broken pipe";
        case EBADF:
            return "output is closed";
        default:
            return "system error " + std::to_string(err);
    }
}

namespace {

bool Refuse(std::string& error, std::string reason) {
    error = std::move(reason);
    return false;
}

constexpr const char* kTooLarge = "larger than 2 GiB";

// Reads are asked for in pieces of this size when the length is not known.
constexpr std::size_t kReadChunk = 64 * 1024;

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// A named pipe is opened without waiting for a writer; once open, its reads
// may wait for the writer again, as reading standard input does.
bool MakeBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// Reads exactly size bytes, or fewer when the file shrank meanwhile.
bool ReadKnownSize(int fd, std::size_t size, std::string& data, std::string& error) {
    data.resize(size);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, data.data() + got, size - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return Refuse(error, "read error: " + SystemErrorText(errno));
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    data.resize(got);
    return true;
}

// Whether a reader reads named pipes or refuses them like devices.
enum class NamedPipes { kRead, kRefuse };

// True for the kinds of file a reader reads; otherwise false with the reason.
bool IsReadableKind(mode_t mode, NamedPipes pipes, std::string& error) {
    if (S_ISDIR(mode)) {
        return Refuse(error, "is a directory");
    }
    if (S_ISREG(mode) || (S_ISFIFO(mode) && pipes == NamedPipes::kRead)) {
        return true;
    }
    return Refuse(error, "not a regular file");
}

// The kind is checked again on the open descriptor: the file may have been
// replaced since its name was looked at.
bool ReadOpenFile(int fd, NamedPipes pipes, std::string& data, std::string& error) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return Refuse(error, SystemErrorText(errno));
    }
    if (!IsReadableKind(info.st_mode, pipes, error)) {
        return false;
    }
    if (S_ISFIFO(info.st_mode)) {
        if (!MakeBlocking(fd)) {
            return Refuse(error, SystemErrorText(errno));
        }
        return ReadAllFromDescriptor(fd, data, error);
    }
    // The size decides before any byte is read, so a file of 2 GiB or more
    // (sparse or not) is refused at once.
    if (info.st_size > kMaxBlockSize) {
        return Refuse(error, kTooLarge);
    }
    return ReadKnownSize(fd, static_cast<std::size_t>(info.st_size), data, error);
}

// Devices and sockets are refused by name before they are opened: opening a
// device can itself wait or have effects (a tape rewinds, a terminal attaches).
bool IsReadableByName(const std::string& name, NamedPipes pipes, std::string& error) {
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0) {
        return Refuse(error, SystemErrorText(errno));
    }
    return IsReadableKind(info.st_mode, pipes, error);
}

// Waits until a descriptor that was left non-blocking by its owner has data.
bool WaitReadable(int fd) {
    pollfd waiting{fd, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&waiting, 1, -1);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

}  // namespace

bool ReadAllFromDescriptor(int fd, std::string& data, std::string& error) {
    data.clear();
    error.clear();
    // One byte beyond the limit is asked for, so an over-long stream is
    // noticed without reading the rest of it.
    constexpr std::size_t kLimit = static_cast<std::size_t>(kMaxBlockSize) + 1;
    try {
        while (data.size() < kLimit) {
            const std::size_t old_size = data.size();
            const std::size_t want = std::min(kReadChunk, kLimit - old_size);
            data.resize(old_size + want);
            const ssize_t n = ::read(fd, data.data() + old_size, want);
            data.resize(old_size + static_cast<std::size_t>(n > 0 ? n : 0));
            if (n == 0) {
                return true;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitReadable(fd)) {
                continue;
            }
            if (n < 0) {
                const int err = errno;
                data.clear();
                return Refuse(error, "read error: " + SystemErrorText(err));
            }
        }
    } catch (const std::bad_alloc&) {
        data.clear();
        return Refuse(error, SystemErrorText(ENOMEM));
    }
    data.clear();
    return Refuse(error, kTooLarge);
}

namespace {

bool ReadNamedFile(const std::string& name, NamedPipes pipes, std::string& data,
                   std::string& error) {
    data.clear();
    error.clear();
    if (name.empty()) {
        return Refuse(error, "no file name");
    }
    if (!IsReadableByName(name, pipes, error)) {
        return false;
    }
    const int fd = OpenRetrying(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return Refuse(error, SystemErrorText(errno));
    }
    bool ok;
    try {
        ok = ReadOpenFile(fd, pipes, data, error);
    } catch (const std::bad_alloc&) {
        ok = Refuse(error, SystemErrorText(ENOMEM));
    }
    ::close(fd);
    if (!ok) {
        data.clear();
    }
    return ok;
}

}  // namespace

bool ReadWholeFileReporting(const std::string& name, std::string& data, std::string& error) {
    return ReadNamedFile(name, NamedPipes::kRead, data, error);
}

std::string ReadWholeFile(const std::string& name) {
    std::string data;
    std::string error;
    ReadNamedFile(name, NamedPipes::kRefuse, data, error);
    return data;
}

bool WriteWholeFile(const std::string& name, std::string_view data) {
    AtomicFileWriter writer(name);
    return writer.Open() && writer.Write(data) && writer.Commit();
}

// ---------------------------------------------------------------------------
// Atomic replacement

void FailWritesBeyondFileSizeLimit() {
    // Ignored, SIGXFSZ no longer ends the process and the write fails with
    // EFBIG, which the writers handle like any other failed write.
    std::signal(SIGXFSZ, SIG_IGN);
}

const FileWriteCalls& SystemFileWriteCalls() {
    static const FileWriteCalls calls{::write, ::fsync};
    return calls;
}

bool WriteAllToDescriptor(int fd, std::string_view bytes, const FileWriteCalls& calls) {
    // A single write may store fewer bytes than asked (interrupted by a
    // signal, or the disk or a size limit nearly reached); the rest goes in
    // the next call, which then reports the error if there is one.
    while (!bytes.empty()) {
        const ssize_t n = calls.write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            // No progress and no error: treat as a full disk rather than loop.
            errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

namespace {

// The directory part of a path with its trailing slash ("" for a bare name).
std::string DirectoryPrefix(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Saving through a symbolic link updates the file it points to and keeps the
// link, as writing the file in place would.
std::string ResolveLink(const std::string& target) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return target;
    }
    char* resolved = ::realpath(target.c_str(), nullptr);
    if (resolved == nullptr) {
        return target;
    }
    std::string result(resolved);
    std::free(resolved);
    return result;
}

// A name of our own in the target's directory, so the final rename stays on
// one file system. Process id and a per-process counter keep two saves of the
// same file (in this process or another) from sharing a temporary file; the
// start of the target's name only helps a person recognise a leftover.
std::string TemporaryName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const std::string prefix = DirectoryPrefix(target);
    // Kept short so the whole name stays within the 255-byte limit.
    const std::string base = target.substr(prefix.size()).substr(0, 64);
    return prefix + "." + base + "." + std::to_string(::getpid()) + "." +
           std::to_string(counter.fetch_add(1)) + ".tmp";
}

// After the rename, the directory entry itself is flushed so the new file
// survives a power cut. The rename has already happened, so a failure here
// does not turn the save into a failure.
void SyncDirectoryOf(const std::string& path) {
    const std::string prefix = DirectoryPrefix(path);
    const int fd =
        OpenRetrying(prefix.empty() ? "." : prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string target, const FileWriteCalls& calls)
    : target_(std::move(target)), calls_(calls) {}

AtomicFileWriter::~AtomicFileWriter() {
    Abandon();
}

bool AtomicFileWriter::Open() {
    if (fd_ >= 0) {
        error_ = "already open";
        return false;
    }
    error_.clear();
    if (target_.empty()) {
        error_ = "no file name";
        return false;
    }
    target_ = ResolveLink(target_);
    // A new file gets the usual permissions (0666 less the umask); a replaced
    // one keeps its own, and one we may not write stays as it is.
    mode_t mode = 0666;
    bool replacing = false;
    struct stat info {};
    if (::stat(target_.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return Fail("cannot replace", EISDIR);
        }
        if (!S_ISREG(info.st_mode)) {
            error_ = "cannot replace: not a regular file";
            return false;
        }
        if (::access(target_.c_str(), W_OK) != 0) {
            return Fail("cannot replace", errno);
        }
        mode = info.st_mode & 07777;
        replacing = true;
    } else if (errno != ENOENT) {
        return Fail("cannot create", errno);
    }
    return CreateTemporary(mode, replacing);
}

bool AtomicFileWriter::CreateTemporary(mode_t mode, bool keep_mode) {
    // A leftover of a crashed process with our process id could hold a name;
    // O_EXCL notices it and the counter moves on.
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string path = TemporaryName(target_);
        fd_ = OpenRetrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd_ >= 0) {
            temp_path_ = std::move(path);
            // The umask applied at creation; an existing file's bits are
            // restored as they were. Best effort: a file system that keeps
            // no modes still gets the data.
            if (keep_mode) {
                ::fchmod(fd_, mode);
            }
            return true;
        }
        if (errno != EEXIST) {
            return Fail("cannot create", errno);
        }
    }
    return Fail("cannot create", EEXIST);
}

bool AtomicFileWriter::Write(std::string_view bytes) {
    if (fd_ < 0) {
        return NotOpen();
    }
    return WriteAll(bytes);
}

bool AtomicFileWriter::WriteAll(std::string_view bytes) {
    return WriteAllToDescriptor(fd_, bytes, calls_) || Fail("write failed", errno);
}

bool AtomicFileWriter::Commit() {
    if (fd_ < 0) {
        return NotOpen();
    }
    int synced;
    do {
        synced = calls_.fsync(fd_);
    } while (synced != 0 && errno == EINTR);
    if (synced != 0) {
        return Fail("flush failed", errno);
    }
    const int fd = fd_;
    fd_ = -1;
    // close reports late write errors of some file systems. EINTR is not one:
    // the data is already synced and Linux has released the descriptor, so
    // retrying could close a descriptor reused meanwhile.
    if (::close(fd) != 0 && errno != EINTR) {
        return Fail("close failed", errno);
    }
    if (::rename(temp_path_.c_str(), target_.c_str()) != 0) {
        return Fail("cannot replace", errno);
    }
    temp_path_.clear();
    SyncDirectoryOf(target_);
    return true;
}

// Keeps the reason of an earlier failure: that is what the caller wants to
// hear, not that the writer is closed now.
bool AtomicFileWriter::NotOpen() {
    if (error_.empty()) {
        error_ = "not open";
    }
    return false;
}

void AtomicFileWriter::Abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_path_.empty()) {
        ::unlink(temp_path_.c_str());
        temp_path_.clear();
    }
}

bool AtomicFileWriter::Fail(const char* what, int err) {
    error_ = std::string(what) + ": " + SystemErrorText(err);
    Abandon();
    return false;
}

}  // namespace velmora
