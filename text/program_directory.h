// The directory of the running executable, found once at start-up.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Finds the executable's directory (Linux: /proc/self/exe) and remembers it;
// later calls of ProgramDirectory return this value whatever happens to the
// working directory. Returns the directory found (empty when the path cannot
// be had). Meant for start-up, before any other thread exists.
const std::string& InitProgramDirectory();
// The directory remembered by InitProgramDirectory, without a trailing
// separator (finds it first if needed).
std::string ProgramDirectory();
// Replaces the remembered directory (tests save into a directory of their own).
void OverrideProgramDirectory(std::string directory);

// Everything before the last separator of path, or the empty text when there
// is none. With double_byte_code_page, a separator byte that is the second
// byte of a GBK double-byte character (lead byte 0x81-0xFE) does not count.
std::string DirectoryOfPath(std::string_view path, char separator, bool double_byte_code_page);

}  // namespace velmora
