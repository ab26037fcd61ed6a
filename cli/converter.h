// The command-line converter: the window's batch conversion without the window.
#pragma once

#include <string>
#include <vector>

namespace velmora {

// Runs the converter with the arguments after the program name; returns the
// exit code (0 success, 1 a file could not be read or the output not written,
// 2 bad usage).
int RunConverter(const std::vector<std::string>& args);

}  // namespace velmora
