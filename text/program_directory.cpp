// The executable's directory: where the results file is saved.
#include "text/program_directory.h"

#include <optional>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace velmora {
namespace {

// Everything before the last separator that is a character of its own. A lead
// byte and the byte after it form one character, so a separator value in the
// second byte of a double-byte character is skipped.
template <typename IsLeadByte>
std::string DirectoryBeforeLastSeparator(std::string_view path, char separator,
                                         IsLeadByte is_lead_byte) {
    std::size_t cut = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (is_lead_byte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
            ++i;
        } else if (path[i] == separator) {
            cut = i;
        }
    }
    return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut));
}

// GBK lead bytes; in GBK the second byte of a character may be 0x5C ('\').
bool IsGbkLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

#ifdef _WIN32

// The path is limited to MAX_PATH (260 bytes, terminator included); a longer
// one is truncated by the system and gives no usable directory.
std::string FindExecutableDirectory() {
    char buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) {
        return {};
    }
    // The system's own lead-byte table of the ANSI code page.
    const auto is_lead_byte = [](unsigned char byte) { return IsDBCSLeadByte(byte) != 0; };
    return DirectoryBeforeLastSeparator(std::string_view(buffer, length), '\\', is_lead_byte);
}

#else

// Linux names the running executable in /proc/self/exe. The link's length is
// not known in advance, so the buffer grows until the whole path fits.
std::string FindExecutableDirectory() {
    std::string path(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            break;
        }
        path.resize(path.size() * 2);
    }
    return DirectoryOfPath(path, '/', false);
}

#endif

std::optional<std::string>& RememberedDirectory() {
    static std::optional<std::string> directory;
    return directory;
}

}  // namespace

std::string DirectoryOfPath(std::string_view path, char separator, bool double_byte_code_page) {
    if (double_byte_code_page) {
        return DirectoryBeforeLastSeparator(path, separator, IsGbkLeadByte);
    }
    return DirectoryBeforeLastSeparator(path, separator, [](unsigned char) { return false; });
}

const std::string& InitProgramDirectory() {
    std::optional<std::string>& directory = RememberedDirectory();
    if (!directory) {
        directory = FindExecutableDirectory();
    }
    return *directory;
}

std::string ProgramDirectory() {
    return InitProgramDirectory();
}

void OverrideProgramDirectory(std::string directory) {
    RememberedDirectory() = std::move(directory);
}

}  // namespace velmora
