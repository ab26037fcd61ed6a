// Runs the built velmora-convert as a child process for the converter's
// tests. Standard output can be kept, thrown away, made to fail, or streamed
// back through a pipe, so a test can check hundreds of megabytes of output
// without holding them.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "../text/scratch_directory.h"

namespace velmora::testing {

struct ChildResult {
    // The exit code, or -1 when the child was ended by a signal.
    int exit_code = -1;
    int signal = 0;
    std::string out;  // standard output, when kept (Sink::kFile)
    std::string err;
};

// Where standard output goes.
enum class Sink {
    kNull,        // /dev/null
    kFile,        // a temporary file, read back into ChildResult::out
    kDevFull,     // /dev/full: every write fails for want of space
    kClosedPipe,  // a pipe whose reading end is closed before the child exists
};

struct ChildOptions {
    // The child's working directory; the test's own when empty.
    std::string working_directory = {};
    // Standard input; /dev/null when empty.
    std::string stdin_path = {};
    // Where standard output goes when on_output is not set.
    Sink sink = Sink::kNull;
    // Called with each piece of standard output as it arrives.
    std::function<void(std::string_view)> on_output = {};
    // RLIMIT_FSIZE for the child; 0 for no limit.
    rlim_t file_size_limit = 0;
    // Whether the child starts with SIGXFSZ ignored, so that a write beyond
    // the limit fails with EFBIG; otherwise the signal has its default
    // action, as in a shell after `ulimit -f`, and ends the process.
    bool file_size_signal_ignored = true;
};

namespace detail {

// Runs in the child between fork and exec: only system calls.
[[noreturn]] inline void ExecConverter(const ChildOptions& options, int stdout_fd, int stderr_fd,
                                       std::vector<char*>& argv) {
    const char* in = options.stdin_path.empty() ? "/dev/null" : options.stdin_path.c_str();
    const int in_fd = ::open(in, O_RDONLY);
    if (in_fd < 0 || stdout_fd < 0 || ::dup2(in_fd, 0) < 0 || ::dup2(stdout_fd, 1) < 0 ||
        ::dup2(stderr_fd, 2) < 0 ||
        (!options.working_directory.empty() && ::chdir(options.working_directory.c_str()) != 0)) {
        ::_exit(127);
    }
    if (options.file_size_limit != 0) {
        // Ignored dispositions survive exec; handled ones fall back to default.
        ::signal(SIGXFSZ, options.file_size_signal_ignored ? SIG_IGN : SIG_DFL);
        const rlimit limit{options.file_size_limit, options.file_size_limit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

// Everything in file, from its start.
inline std::string ReadAll(FILE* file) {
    std::rewind(file);
    const int fd = ::fileno(file);
    std::string bytes;
    char chunk[4096];
    ssize_t n;
    while ((n = ::read(fd, chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR)) {
        bytes.append(chunk, static_cast<std::size_t>(n > 0 ? n : 0));
    }
    return bytes;
}

}  // namespace detail

// A started velmora-convert; Wait collects its exit, its standard error and
// the standard output it kept.
class ConverterProcess {
  public:
    // Starts the converter with these arguments. With on_output set, the
    // caller must call Wait, which streams the output while it waits.
    ConverterProcess(const std::vector<std::string>& args, ChildOptions options)
        : options_(std::move(options)),
          out_file_(options_.sink == Sink::kFile && !options_.on_output ? std::tmpfile() : nullptr),
          err_file_(std::tmpfile()) {
        std::vector<std::string> strings = args;
        std::vector<char*> argv{const_cast<char*>(VELMORA_CONVERT_EXE)};
        for (std::string& arg : strings) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        const int out_fd = OpenStandardOutput();
        EXPECT_GE(out_fd, 0) << "no standard output for the converter";
        pid_ = ::fork();
        if (pid_ == 0) {
            detail::ExecConverter(options_, out_fd, ::fileno(err_file_), argv);
        }
        if (out_fd >= 0) {
            ::close(out_fd);
        }
    }
    ~ConverterProcess() {
        if (pid_ > 0) {
            Wait();
        }
        if (out_file_ != nullptr) {
            std::fclose(out_file_);
        }
        std::fclose(err_file_);
    }
    ConverterProcess(const ConverterProcess&) = delete;
    ConverterProcess& operator=(const ConverterProcess&) = delete;

    // True once the process has ended; does not wait. Not for streamed
    // output, which only Wait reads.
    bool Exited() {
        if (!waited_ && ::waitpid(pid_, &status_, WNOHANG) == pid_) {
            waited_ = true;
        }
        return waited_;
    }

    ChildResult Wait() {
        StreamOutput();
        while (!waited_) {
            if (::waitpid(pid_, &status_, 0) == pid_) {
                waited_ = true;
            } else if (errno != EINTR) {
                ADD_FAILURE() << "cannot wait for the converter";
                waited_ = true;
            }
        }
        ChildResult result;
        if (WIFEXITED(status_)) {
            result.exit_code = WEXITSTATUS(status_);
        } else if (WIFSIGNALED(status_)) {
            result.signal = WTERMSIG(status_);
        }
        if (out_file_ != nullptr) {
            result.out = detail::ReadAll(out_file_);
        }
        result.err = detail::ReadAll(err_file_);
        return result;
    }

  private:
    // The descriptor the child takes as its standard output.
    int OpenStandardOutput() {
        if (out_file_ != nullptr) {
            return ::fcntl(::fileno(out_file_), F_DUPFD_CLOEXEC, 0);
        }
        if (!options_.on_output && options_.sink != Sink::kClosedPipe) {
            return ::open(options_.sink == Sink::kDevFull ? "/dev/full" : "/dev/null",
                          O_WRONLY | O_CLOEXEC);
        }
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            return -1;
        }
        if (options_.on_output) {
            out_pipe_ = ends[0];
        } else {
            ::close(ends[0]);  // the child's first write meets a pipe without readers
        }
        return ends[1];
    }

    void StreamOutput() {
        if (out_pipe_ < 0) {
            return;
        }
        std::vector<char> chunk(std::size_t{1} << 16);
        ssize_t n;
        while ((n = ::read(out_pipe_, chunk.data(), chunk.size())) != 0) {
            if (n > 0) {
                options_.on_output(std::string_view(chunk.data(), static_cast<std::size_t>(n)));
            } else if (errno != EINTR) {
                break;
            }
        }
        ::close(out_pipe_);
        out_pipe_ = -1;
    }

    ChildOptions options_;
    FILE* out_file_;
    FILE* err_file_;
    int out_pipe_ = -1;
    pid_t pid_ = -1;
    int status_ = 0;
    bool waited_ = false;
};

// Runs velmora-convert with these arguments and waits for it.
inline ChildResult RunConverter(const std::vector<std::string>& args,
                                const ChildOptions& options = {}) {
    return ConverterProcess(args, options).Wait();
}

}  // namespace velmora::testing
