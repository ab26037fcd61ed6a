// Placeholder until the line functions land.
#include "text/lines.h"

namespace velmora {
std::string BytesToText(std::string_view block) { return std::string(block); }
std::string_view BytesToTextView(std::string_view block) { return block; }
std::string TextToBytes(std::string_view text) { return std::string(text); }
std::vector<std::string> SplitText(std::string_view, std::string_view) { return {}; }
LineSplitter::LineSplitter(std::string_view text, std::string_view delimiter)
    : text_(text), delimiter_(delimiter) {}
bool LineSplitter::Next(std::string_view&) { return false; }
std::string TrimSpaces(std::string_view text) { return std::string(text); }
std::string_view TrimSpacesView(std::string_view text) { return text; }
}  // namespace velmora
