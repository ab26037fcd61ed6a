// Byte-level line handling. Texts are GBK byte strings; a byte 0x80-0xFF that
// is not the last byte of a text begins a two-byte character, whatever the
// second byte is. No code-page conversion happens here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

inline constexpr std::string_view kLineDelimiter = "\r\n";

// The bytes before the first NUL (all of them when there is none).
std::string BytesToText(std::string_view block);
std::string_view BytesToTextView(std::string_view block);
// The bytes of the text as they are: a view of the text's own bytes, valid
// while the text is, so a save of many megabytes does not copy them.
std::string_view TextToBytes(std::string_view text);

// Cuts text at each delimiter that starts at a character boundary. An empty
// remainder after the last delimiter is not an element; an empty text gives
// no elements; an empty delimiter gives the whole text as one element.
std::vector<std::string> SplitText(std::string_view text, std::string_view delimiter);

// Yields the pieces of SplitText one by one, as views into the text, without
// building the whole array (the converter streams files of any size). The
// text and the delimiter must outlive the splitter.
class LineSplitter {
  public:
    LineSplitter(std::string_view text, std::string_view delimiter);
    // Stores the next piece in line and returns true, or returns false at the end.
    bool Next(std::string_view& line);

  private:
    // Position of the next delimiter that starts at a character boundary at
    // or after start_, or npos when there is none.
    std::size_t FindDelimiter() const;

    std::string_view text_;
    std::string_view delimiter_;
    std::size_t start_ = 0;
};

// Removes spaces (0x20 and the ideographic space 0xA1 0xA1) at both ends and
// an incomplete two-byte character at the end.
std::string TrimSpaces(std::string_view text);
std::string_view TrimSpacesView(std::string_view text);

}  // namespace velmora
