// The command-line converter: the window's batch conversion without the window.
//
//   velmora-convert [-o PATH] [FILE...]    every line of every FILE (standard
//                                          input for none or "-")
//   velmora-convert [-o PATH] -a TEXT      one angle, its radians alone
//
// Each line comes out as the window's save command writes it: the line as
// read, "------", its radians text and CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

inline constexpr std::string_view kConverterName = "velmora-convert";

// Runs the converter with the arguments after the program name; returns the
// exit code (0 success, 1 a file could not be read or the output not written,
// 2 bad usage). The caller should ignore SIGPIPE first, so that a closed pipe
// is reported as a failed write instead of ending the process silently.
int RunConverter(const std::vector<std::string>& args);

}  // namespace velmora
