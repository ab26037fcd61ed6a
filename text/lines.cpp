#include "text/lines.h"

#include <bit>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace velmora {
namespace {

constexpr std::size_t kNotFound = std::string_view::npos;

bool IsHighBit(unsigned char byte) {
    return byte >= 0x80;
}

// Eight bytes at a time: a word is a "stop" when one of its bytes equals the
// looked-for byte or has its high bit set. The zero-byte test
// (x - 0x01..) & ~x & 0x80.. can only report false hits in bytes above a true
// hit, so on a little-endian machine its lowest set bit is exact.
constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

std::uint64_t StopBits(std::uint64_t word, std::uint64_t pattern) {
    const std::uint64_t equal = word ^ pattern;
    const std::uint64_t equal_bytes = (equal - kOnes) & ~equal & kHighBits;
    return equal_bytes | (word & kHighBits);
}

// First index at or after from whose byte is `wanted` or 0x80-0xFF, or
// kNotFound. Every byte skipped over is an ASCII byte and so a character of
// its own, which keeps the caller on character boundaries.
std::size_t FindStop(std::string_view text, std::size_t from, unsigned char wanted) {
    const char* data = text.data();
    const std::size_t size = text.size();
    std::size_t i = from;
#ifdef __SSE2__
    // Sixteen bytes at a time where the instructions exist (every x86-64):
    // one step covers a whole typical line. The sign bit of each byte is its
    // high bit, so movemask of the raw bytes marks the 0x80-0xFF ones.
    const __m128i wanted16 = _mm_set1_epi8(static_cast<char>(wanted));
    for (; i + 16 <= size; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const unsigned bits = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, wanted16), bytes)));
        if (bits != 0) {
            return i + static_cast<std::size_t>(std::countr_zero(bits));
        }
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
        const std::uint64_t pattern = kOnes * wanted;
        for (; i + 8 <= size; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, data + i, sizeof word);
            if (const std::uint64_t bits = StopBits(word, pattern)) {
                return i + static_cast<std::size_t>(std::countr_zero(bits)) / 8;
            }
        }
    }
    for (; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (byte == wanted || IsHighBit(byte)) {
            return i;
        }
    }
    return kNotFound;
}

// The caller has checked that the delimiter fits from pos. The two-byte
// CR LF is compared inline: a library call per line costs more than the line.
bool MatchesAt(std::string_view text, std::size_t pos, std::string_view delimiter) {
    if (delimiter.size() == 2) {
        return text[pos] == delimiter[0] && text[pos + 1] == delimiter[1];
    }
    return text.compare(pos, delimiter.size(), delimiter) == 0;
}

bool IsIdeographicSpaceAt(std::string_view text, std::size_t pos) {
    return pos + 1 < text.size() && static_cast<unsigned char>(text[pos]) == 0xA1 &&
           static_cast<unsigned char>(text[pos + 1]) == 0xA1;
}

std::size_t SkipLeadingSpaces(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == ' ') {
            pos += 1;
        } else if (IsIdeographicSpaceAt(text, pos)) {
            pos += 2;
        } else {
            break;
        }
    }
    return pos;
}

// Where the kept part ends: walks by characters from `from` and cuts off the
// final run of spaces, or, when the text ends in a lone high-bit byte, only
// that incomplete character (the spaces in front of it stay).
std::size_t TrimmedEnd(std::string_view text, std::size_t from) {
    const std::size_t size = text.size();
    if (from == size) {
        return size;
    }
    // A last byte 0x00-0x7F other than a blank ends a complete character that
    // is no space, whether it stands alone or is the second byte of a pair:
    // nothing is cut, and the walk (the usual case for a line) is not needed.
    const auto last = static_cast<unsigned char>(text.back());
    if (!IsHighBit(last) && last != ' ') {
        return size;
    }
    std::size_t run_start = kNotFound;
    std::size_t pos = from;
    while (pos < size) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        std::size_t width = 1;
        bool is_space = byte == ' ';
        if (IsHighBit(byte)) {
            if (pos + 1 == size) {
                return pos;
            }
            width = 2;
            is_space = IsIdeographicSpaceAt(text, pos);
        }
        if (!is_space) {
            run_start = kNotFound;
        } else if (run_start == kNotFound) {
            run_start = pos;
        }
        pos += width;
    }
    return run_start == kNotFound ? size : run_start;
}

}  // namespace

std::string_view BytesToTextView(std::string_view block) {
    const void* nul = std::memchr(block.data(), '\0', block.size());
    if (nul == nullptr) {
        return block;
    }
    return block.substr(0, static_cast<const char*>(nul) - block.data());
}

std::string BytesToText(std::string_view block) {
    return std::string(BytesToTextView(block));
}

std::string_view TextToBytes(std::string_view text) {
    return text;
}

LineSplitter::LineSplitter(std::string_view text, std::string_view delimiter)
    : text_(text), delimiter_(delimiter) {}

std::size_t LineSplitter::FindDelimiter() const {
    const std::size_t size = text_.size();
    const std::size_t length = delimiter_.size();
    const auto first = static_cast<unsigned char>(delimiter_[0]);
    std::size_t pos = start_;
    while (true) {
        pos = FindStop(text_, pos, first);
        // A delimiter needs `length` bytes from a character boundary.
        if (pos == kNotFound || size - pos < length) {
            return kNotFound;
        }
        if (MatchesAt(text_, pos, delimiter_)) {
            return pos;
        }
        if (!IsHighBit(static_cast<unsigned char>(text_[pos]))) {
            pos += 1;
        } else if (pos + 1 < size) {
            // A two-byte character: its second byte never starts a delimiter,
            // even when it is a CR.
            pos += 2;
        } else {
            return kNotFound;
        }
    }
}

bool LineSplitter::Next(std::string_view& line) {
    // An empty remainder (and so an empty text) yields nothing more.
    if (start_ >= text_.size()) {
        return false;
    }
    const std::size_t found = delimiter_.empty() ? kNotFound : FindDelimiter();
    if (found == kNotFound) {
        line = text_.substr(start_);
        start_ = text_.size();
    } else {
        line = text_.substr(start_, found - start_);
        start_ = found + delimiter_.size();
    }
    return true;
}

std::vector<std::string> SplitText(std::string_view text, std::string_view delimiter) {
    std::vector<std::string> elements;
    LineSplitter splitter(text, delimiter);
    std::string_view line;
    while (splitter.Next(line)) {
        elements.emplace_back(line);
    }
    return elements;
}

std::string_view TrimSpacesView(std::string_view text) {
    const std::size_t begin = SkipLeadingSpaces(text);
    return text.substr(begin, TrimmedEnd(text, begin) - begin);
}

std::string TrimSpaces(std::string_view text) {
    return std::string(TrimSpacesView(text));
}

}  // namespace velmora
