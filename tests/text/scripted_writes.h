// Scripted system calls for the file writer, so that a test can make a write
// or the flush fail at any chosen byte. Each write stores at most `chunk`
// bytes; the first `interruptions` writes fail with EINTR; once `fail_at`
// bytes are stored, every further write fails with `error` (or, with error 0,
// stores nothing without an error); the flush fails when asked to.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>

#include "text/files.h"

namespace velmora::testing {

struct WriteScript {
    std::size_t chunk = SIZE_MAX;
    int interruptions = 0;
    std::size_t fail_at = SIZE_MAX;
    int error = ENOSPC;
    bool fail_flush = false;
    std::size_t stored = 0;
};

// The script the calls below follow; a test sets it before each save.
inline WriteScript write_script;

inline ssize_t ScriptedWrite(int fd, const void* bytes, size_t count) {
    if (write_script.interruptions > 0) {
        --write_script.interruptions;
        errno = EINTR;
        return -1;
    }
    if (write_script.stored >= write_script.fail_at) {
        errno = write_script.error;
        return write_script.error == 0 ? 0 : -1;
    }
    const std::size_t allowed =
        std::min({count, write_script.chunk, write_script.fail_at - write_script.stored});
    const ssize_t n = ::write(fd, bytes, allowed);
    write_script.stored += static_cast<std::size_t>(std::max<ssize_t>(n, 0));
    return n;
}

inline int ScriptedFlush(int fd) {
    if (write_script.fail_flush) {
        errno = EIO;
        return -1;
    }
    return ::fsync(fd);
}

inline constexpr FileWriteCalls kScriptedCalls{ScriptedWrite, ScriptedFlush};

}  // namespace velmora::testing
