// The converter streams: each input file is held whole (as the window reads
// it), but the output goes out in pieces of about a megabyte, so memory stays
// near the size of the largest input. Nothing here uses iostreams or printf:
// the output must not depend on the locale, and the data path must be fast.
#include "cli/converter.h"

#include <cerrno>
#include <memory>
#include <optional>
#include <string>

#include "text/files.h"
#include "text/lines.h"
#include "text/results.h"

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "unknown"
#endif

namespace velmora {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr int kStandardInput = 0;
constexpr int kStandardOutput = 1;
constexpr int kStandardError = 2;

// Output is handed to the system once this much has gathered.
constexpr std::size_t kFlushSize = std::size_t{1} << 20;
// Room for one more ordinary line behind the flush mark, so that the buffer
// does not grow while a chunk fills up.
constexpr std::size_t kBufferSlack = 4096;

constexpr std::string_view kUsage =
    "Usage: velmora-convert [-o PATH] [FILE...]\n"
    "       velmora-convert [-o PATH] -a TEXT\n";

constexpr std::string_view kHelp =
    "Converts packed field-book angles (123 deg 45 min 67.89 sec typed as\n"
    "123.456789) to radians.\n"
    "\n"
    "Every line of every FILE (standard input when there is none, or for \"-\")\n"
    "is written as the line, \"------\", its value in radians and CR LF: the\n"
    "same bytes as the results file of the desktop program. Lines end at CR LF\n"
    "only; a file's text ends at its first NUL byte; a UTF-8 byte-order mark at\n"
    "the start of a file is skipped.\n"
    "\n"
    "  -o PATH            write to PATH instead of standard output; PATH is\n"
    "                     replaced only once the whole output is written, and\n"
    "                     not at all when a FILE could not be read\n"
    "  -a, --angle TEXT   convert TEXT alone and print only its radians and a\n"
    "                     newline (may be repeated)\n"
    "  -h, --help         show this help\n"
    "      --version      show the version\n"
    "  --                 every later argument is a FILE\n"
    "\n"
    "Exit status: 0 success, 1 a file could not be read or the output could not\n"
    "be written, 2 bad usage.\n";

// Messages are best effort: there is nobody left to tell when stderr fails.
void Complain(std::string_view message) {
    std::string line;
    line.append(kConverterName).append(": ").append(message).append("\n");
    (void)WriteAllToDescriptor(kStandardError, line);
}

int UsageError(std::string_view message) {
    Complain(message);
    std::string usage(kUsage);
    usage.append("Try 'velmora-convert --help' for more information.\n");
    (void)WriteAllToDescriptor(kStandardError, usage);
    return kExitUsage;
}

// The output, gathered in a buffer and handed on in chunks, either to
// standard output or, with -o, to an atomic writer that replaces the target
// only when everything has been written.
class Output {
  public:
    explicit Output(const std::optional<std::string>& path)
        : name_(path ? *path : std::string("standard output")) {
        if (path) {
            file_ = std::make_unique<AtomicFileWriter>(*path);
        }
        buffer_.reserve(kFlushSize + kBufferSlack);
    }

    // Creates the temporary file behind -o; standard output is already open.
    bool Open() { return file_ == nullptr || file_->Open() || Fail(file_->Error()); }

    std::string& Buffer() { return buffer_; }

    // Passes the buffer on once it is full; false when the write failed.
    bool FlushWhenFull() { return buffer_.size() < kFlushSize || Flush(); }

    // Writes bytes at once, behind whatever is buffered.
    bool WriteThrough(std::string_view bytes) { return Flush() && Send(bytes); }

    bool WritesToFile() const { return file_ != nullptr; }

    // Writes what is left and, with -o, puts the file in place of the target.
    // When this fails, or is never called, the writer's destructor removes the
    // temporary file, so an existing target keeps its old contents.
    bool Finish() {
        return Flush() && (file_ == nullptr || file_->Commit() || Fail(file_->Error()));
    }

    // "PATH: reason" for the message of a failed output.
    std::string Failure() const { return name_ + ": " + error_; }

  private:
    bool Flush() {
        const bool ok = Send(buffer_);
        buffer_.clear();
        return ok;
    }

    bool Send(std::string_view bytes) {
        if (failed_) {
            return false;
        }
        if (file_ != nullptr) {
            return file_->Write(bytes) || Fail(file_->Error());
        }
        return WriteAllToDescriptor(kStandardOutput, bytes) || Fail(SystemErrorText(errno));
    }

    bool Fail(std::string reason) {
        failed_ = true;
        error_ = std::move(reason);
        return false;
    }

    std::string name_;
    std::unique_ptr<AtomicFileWriter> file_;
    std::string buffer_;
    std::string error_;
    bool failed_ = false;
};

// One results line per line of the text, streamed into the output.
bool ConvertText(std::string_view text, Output& output) {
    LineSplitter splitter(text, kLineDelimiter);
    std::string_view line;
    while (splitter.Next(line)) {
        if (line.size() < kFlushSize) {
            AppendConvertedLine(output.Buffer(), line);
        } else {
            // A huge line (a whole file without CR LF) goes straight out
            // instead of being copied into the buffer.
            if (!output.WriteThrough(line)) {
                return false;
            }
            AppendResultLine(output.Buffer(), "", RadiansTextOfLine(line));
        }
        if (!output.FlushWhenFull()) {
            return false;
        }
    }
    return true;
}

struct Options {
    std::vector<std::string> files;
    std::vector<std::string> angles;
    std::optional<std::string> output_path;
};

enum class Request { kConvert, kHelp, kVersion };

// Parses the arguments; on bad usage reports it and returns nullopt.
std::optional<Request> ParseArguments(const std::vector<std::string>& args, Options& options) {
    bool options_ended = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options_ended || arg == "-" || !arg.starts_with("-")) {
            options.files.push_back(arg);
        } else if (arg == "--") {
            options_ended = true;
        } else if (arg == "-h" || arg == "--help") {
            return Request::kHelp;
        } else if (arg == "--version") {
            return Request::kVersion;
        } else if (arg == "-o" || arg == "-a" || arg == "--angle") {
            if (i + 1 == args.size()) {
                UsageError("option '" + arg + "' needs a value");
                return std::nullopt;
            }
            const std::string& value = args[++i];
            if (arg == "-o") {
                options.output_path = value;
            } else {
                options.angles.push_back(value);
            }
        } else {
            UsageError("unknown option '" + arg + "'");
            return std::nullopt;
        }
    }
    if (!options.angles.empty() && !options.files.empty()) {
        UsageError("-a converts its text alone; it takes no FILE");
        return std::nullopt;
    }
    return Request::kConvert;
}

bool ReadInput(const std::string& file, std::string& data, std::string& error) {
    if (file == "-") {
        return ReadAllFromDescriptor(kStandardInput, data, error);
    }
    return ReadWholeFileReporting(file, data, error);
}

// Converts every file in turn; a file that cannot be read is reported and
// skipped. Returns false only when the output failed.
bool ConvertFiles(const std::vector<std::string>& files, Output& output, bool& read_failed) {
    for (const std::string& file : files) {
        std::string data;
        std::string error;
        if (!ReadInput(file, data, error)) {
            Complain((file == "-" ? std::string("standard input") : file) + ": " + error);
            read_failed = true;
            continue;
        }
        if (!ConvertText(BatchTextOfFile(data), output)) {
            return false;
        }
    }
    return true;
}

void ConvertAngles(const std::vector<std::string>& angles, Output& output) {
    for (const std::string& angle : angles) {
        AppendRadiansTextOfLine(output.Buffer(), angle);
        output.Buffer().push_back('\n');
    }
}

int Convert(const Options& options) {
    Output output(options.output_path);
    if (!output.Open()) {
        Complain(output.Failure());
        return kExitFailure;
    }
    bool read_failed = false;
    bool written = true;
    if (!options.angles.empty()) {
        ConvertAngles(options.angles, output);
    } else if (options.files.empty()) {
        written = ConvertFiles({"-"}, output, read_failed);
    } else {
        written = ConvertFiles(options.files, output, read_failed);
    }
    if (!written) {
        Complain(output.Failure());
        return kExitFailure;
    }
    if (read_failed && output.WritesToFile()) {
        // Results missing a file must not take the place of earlier, whole
        // results: a mistyped name would destroy them.
        Complain(*options.output_path + ": left unchanged, since an input could not be read");
        return kExitFailure;
    }
    if (!output.Finish()) {
        Complain(output.Failure());
        return kExitFailure;
    }
    return read_failed ? kExitFailure : kExitOk;
}

// Help and version go to standard output in one piece.
int PrintText(std::string_view text) {
    if (WriteAllToDescriptor(kStandardOutput, text)) {
        return kExitOk;
    }
    Complain("standard output: " + SystemErrorText(errno));
    return kExitFailure;
}

}  // namespace

int RunConverter(const std::vector<std::string>& args) {
    Options options;
    const std::optional<Request> request = ParseArguments(args, options);
    if (!request) {
        return kExitUsage;
    }
    switch (*request) {
        case Request::kHelp:
            return PrintText(std::string(kUsage) + "\n" + std::string(kHelp));
        case Request::kVersion:
            return PrintText(std::string(kConverterName) + " " + VELMORA_VERSION + "\n");
        case Request::kConvert:
            break;
    }
    return Convert(options);
}

}  // namespace velmora
