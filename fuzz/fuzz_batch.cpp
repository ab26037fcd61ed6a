// The whole batch conversion, bytes in to results bytes out.
//
// Every way the program turns a file into results must give the same bytes
// as a reference built from the public pieces in the order of the batch
// command. Each pipeline is one entry of kPipelines: the converter runs in
// this process as it runs from the command line, on a file argument and on
// standard input, with memory files standing in for the disk so that no
// execution touches it; the window's batch and save steps run on a results
// list without any window.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "cli/converter.h"
#include "text/lines.h"
#include "text/number_text.h"
#include "text/results.h"
#include "ui/batch_rows.h"
#include "ui/report_model.h"

namespace {

using velmora::kLineDelimiter;
using velmora::kResultSeparator;

[[noreturn]] void Fail(const char* what, const std::string& detail = "") {
    std::fprintf(stderr, "%s %s\n", what, detail.c_str());
    std::abort();
}

// The batch command, step by step: the file's bytes become a text up to the
// first NUL, a UTF-8 byte-order mark in front is skipped, the text is cut at
// CR LF, and each line is written as angle, "------", radians, CR LF.
std::string ReferenceResults(std::string_view bytes) {
    const std::string text = velmora::BytesToText(bytes);
    std::string results;
    for (const std::string& line :
         velmora::SplitText(velmora::SkipByteOrderMark(text), kLineDelimiter)) {
        velmora::AppendResultLine(results, line, velmora::RadiansTextOfLine(line));
    }
    return results;
}

// A file that lives in memory only; its descriptor is kept for the whole run.
class MemoryFile {
  public:
    explicit MemoryFile(const char* name) : fd_(::memfd_create(name, 0)) {
        if (fd_ < 0) {
            Fail("memfd_create failed");
        }
    }
    int fd() const { return fd_; }
    // A path the converter can open like any regular file.
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

    void Replace(std::string_view bytes) const {
        if (::ftruncate(fd_, 0) != 0 ||
            ::pwrite(fd_, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()) ||
            ::lseek(fd_, 0, SEEK_SET) != 0) {
            Fail("cannot fill a memory file");
        }
    }
    std::string Contents() const {
        std::string bytes(static_cast<std::size_t>(::lseek(fd_, 0, SEEK_END)), '\0');
        if (::pread(fd_, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
            Fail("cannot read a memory file");
        }
        return bytes;
    }

  private:
    int fd_;
};

// Runs the converter with its standard output (and, for "-", its standard
// input) on memory files, and restores both afterwards.
std::string RunConverterInProcess(std::string_view bytes, bool from_standard_input) {
    static const MemoryFile input("velmora-fuzz-input");
    static const MemoryFile output("velmora-fuzz-output");
    input.Replace(bytes);
    output.Replace("");
    const int saved_in = ::dup(STDIN_FILENO);
    const int saved_out = ::dup(STDOUT_FILENO);
    if (saved_in < 0 || saved_out < 0 || ::dup2(output.fd(), STDOUT_FILENO) < 0 ||
        (from_standard_input && ::dup2(input.fd(), STDIN_FILENO) < 0)) {
        Fail("cannot redirect the standard streams");
    }
    const int exit_code = velmora::RunConverter({from_standard_input ? "-" : input.Path()});
    ::dup2(saved_in, STDIN_FILENO);
    ::dup2(saved_out, STDOUT_FILENO);
    ::close(saved_in);
    ::close(saved_out);
    if (exit_code != 0) {
        Fail("the converter failed with exit code", std::to_string(exit_code));
    }
    return output.Contents();
}

std::string ConverterOnFile(std::string_view bytes) {
    return RunConverterInProcess(bytes, false);
}

std::string ConverterOnStandardInput(std::string_view bytes) {
    return RunConverterInProcess(bytes, true);
}

struct Pipeline {
    const char* name;
    std::string (*run)(std::string_view bytes);
};

// The window's own batch and save steps on a results list: the rows the
// batch command lists for the file, joined as the save command writes them.
std::string WindowBatchAndSave(std::string_view bytes) {
    velmora::ReportModel list(velmora::ResultsColumns());
    velmora::ConvertLinesIntoList(list, velmora::BatchTextOfFile(bytes));
    return velmora::JoinedRows(list);
}

// Every pipeline that turns a file into results.
constexpr Pipeline kPipelines[] = {
    {"velmora-convert FILE", ConverterOnFile},
    {"velmora-convert < FILE", ConverterOnStandardInput},
    {"window batch, then save", WindowBatchAndSave},
};

// Reads the results against the lines they came from: each line comes back
// as itself, "------", a well-formed number text and CR LF, and nothing else
// is in the output.
void CheckShape(std::string_view results, const std::vector<std::string>& lines) {
    std::size_t pos = 0;
    for (const std::string& line : lines) {
        if (results.substr(pos, line.size()) != line) {
            Fail("an output line does not start with its input line");
        }
        pos += line.size();
        if (results.substr(pos, kResultSeparator.size()) != kResultSeparator) {
            Fail("the separator is missing");
        }
        pos += kResultSeparator.size();
        const std::size_t end = results.find(kLineDelimiter, pos);
        if (end == std::string_view::npos) {
            Fail("an output line does not end in CR LF");
        }
        const std::string_view radians = results.substr(pos, end - pos);
        if (radians.empty() || radians.size() > velmora::kMaxNumberTextSize ||
            radians.find_first_of(" \t\r\n") != std::string_view::npos) {
            Fail("the radians text is malformed:", std::string(radians));
        }
        pos = end + kLineDelimiter.size();
    }
    if (pos != results.size()) {
        Fail("the output holds more lines than the input");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string expected = ReferenceResults(bytes);
    CheckShape(expected, velmora::SplitText(velmora::SkipByteOrderMark(velmora::BytesToText(bytes)),
                                            kLineDelimiter));
    for (const Pipeline& pipeline : kPipelines) {
        if (pipeline.run(bytes) != expected) {
            Fail("differs from the reference:", pipeline.name);
        }
    }
    return 0;
}
