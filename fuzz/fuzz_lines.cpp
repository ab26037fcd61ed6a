// Cutting texts into lines and trimming them, on arbitrary bytes.
//
// The fast scanners of lines.cpp look at eight or sixteen bytes at a time;
// what they must give is fixed by the character rule alone (a byte 0x80-0xFF
// that is not the last byte begins a two-byte character). So each result is
// checked twice: against properties that any correct cut or trim has, and
// against a plain byte-by-byte walk written here from that rule.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "text/lines.h"

namespace {

using velmora::kLineDelimiter;

[[noreturn]] void Fail(const char* property, std::string_view input) {
    std::fprintf(stderr, "%s (input of %zu bytes)\n", property, input.size());
    std::abort();
}

void Require(bool holds, const char* property, std::string_view input) {
    if (!holds) {
        Fail(property, input);
    }
}

bool IsHighBit(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

// Width of the character at pos: 2 for a high-bit byte with a byte behind it.
std::size_t CharacterWidth(std::string_view text, std::size_t pos) {
    return IsHighBit(text[pos]) && pos + 1 < text.size() ? 2 : 1;
}

bool EndsInIncompleteCharacter(std::string_view text) {
    std::size_t pos = 0;
    while (pos + 1 < text.size()) {
        pos += CharacterWidth(text, pos);
    }
    return pos + 1 == text.size() && IsHighBit(text[pos]);
}

bool IsSpaceAt(std::string_view text, std::size_t pos) {
    return text[pos] == ' ' ||
           (pos + 1 < text.size() && text.substr(pos, 2) == std::string_view("\xA1\xA1", 2));
}

// True when text consists of spaces only, walked as characters.
bool IsAllSpaces(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size(); pos += CharacterWidth(text, pos)) {
        if (!IsSpaceAt(text, pos)) {
            return false;
        }
    }
    return true;
}

bool HasDelimiterAtCharacterBoundary(std::string_view piece, std::string_view delimiter) {
    for (std::size_t pos = 0; pos < piece.size(); pos += CharacterWidth(piece, pos)) {
        if (piece.substr(pos).starts_with(delimiter)) {
            return true;
        }
    }
    return false;
}

// The cut, step by step as defined, for any delimiter.
std::vector<std::string> ReferenceSplit(std::string_view text, std::string_view delimiter) {
    std::vector<std::string> pieces;
    if (text.empty()) {
        return pieces;
    }
    if (delimiter.empty()) {
        return {std::string(text)};
    }
    std::size_t start = 0;
    std::size_t p = 0;
    while (text.size() - p >= delimiter.size()) {
        if (text.compare(p, delimiter.size(), delimiter) == 0) {
            pieces.emplace_back(text.substr(start, p - start));
            start = p = p + delimiter.size();
        } else if (!IsHighBit(text[p])) {
            p += 1;
        } else if (p + 1 == text.size()) {
            break;
        } else {
            p += 2;
        }
    }
    if (start < text.size()) {
        pieces.emplace_back(text.substr(start));
    }
    return pieces;
}

// The trim, step by step as defined.
std::string ReferenceTrim(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() &&
           (text[begin] == ' ' ||
            (text[begin] == '\xA1' && begin + 1 < text.size() && text[begin + 1] == '\xA1'))) {
        begin += text[begin] == ' ' ? 1 : 2;
    }
    std::size_t end = text.size();
    std::size_t run = std::string_view::npos;
    for (std::size_t pos = begin; pos < text.size();) {
        if (IsHighBit(text[pos]) && pos + 1 == text.size()) {
            return std::string(text.substr(begin, pos - begin));
        }
        if (!IsSpaceAt(text, pos)) {
            run = std::string_view::npos;
        } else if (run == std::string_view::npos) {
            run = pos;
        }
        pos += CharacterWidth(text, pos);
    }
    if (run != std::string_view::npos) {
        end = run;
    }
    return std::string(text.substr(begin, end - begin));
}

std::vector<std::string> SplitWithSplitter(std::string_view text, std::string_view delimiter) {
    std::vector<std::string> pieces;
    velmora::LineSplitter splitter(text, delimiter);
    std::string_view piece;
    while (splitter.Next(piece)) {
        pieces.emplace_back(piece);
    }
    return pieces;
}

void CheckBytesToText(std::string_view block) {
    const std::string text = velmora::BytesToText(block);
    Require(text.find('\0') == std::string::npos, "BytesToText kept a NUL", block);
    Require(block.starts_with(text), "BytesToText is not a prefix of the block", block);
    Require(text.size() == block.size() || block[text.size()] == '\0',
            "BytesToText did not stop at the first NUL", block);
    Require(velmora::BytesToTextView(block) == text, "BytesToTextView differs", block);
    Require(velmora::TextToBytes(text) == text, "TextToBytes changed the bytes", block);
}

void CheckLinesOfText(std::string_view text) {
    const std::vector<std::string> pieces = velmora::SplitText(text, kLineDelimiter);
    Require(pieces.empty() == text.empty(), "only the empty text has no lines", text);

    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            joined.append(kLineDelimiter);
        }
        joined.append(pieces[i]);
        Require(!HasDelimiterAtCharacterBoundary(pieces[i], kLineDelimiter),
                "a line holds a CR LF at a character boundary", text);
    }
    // Only a final, empty remainder after the last CR LF is not a line.
    Require(joined == text || joined + std::string(kLineDelimiter) == text,
            "the lines joined with CR LF do not give back the text", text);

    Require(SplitWithSplitter(text, kLineDelimiter) == pieces,
            "LineSplitter differs from SplitText", text);
    Require(ReferenceSplit(text, kLineDelimiter) == pieces,
            "SplitText differs from the step-by-step cut", text);
}

void CheckTrim(std::string_view text) {
    const std::string_view view = velmora::TrimSpacesView(text);
    const std::string trimmed = velmora::TrimSpaces(text);
    Require(view == trimmed, "TrimSpacesView differs from TrimSpaces", text);
    Require(view.data() >= text.data() && view.data() + view.size() <= text.data() + text.size(),
            "the trimmed text is not a part of the text", text);
    Require(trimmed == ReferenceTrim(text), "TrimSpaces differs from the step-by-step trim", text);

    const std::size_t front = static_cast<std::size_t>(view.data() - text.data());
    const std::string_view cut_front = text.substr(0, front);
    const std::string_view cut_back = text.substr(front + view.size());
    Require(IsAllSpaces(cut_front), "something other than spaces was cut at the front", text);
    Require(!trimmed.starts_with(' ') && !trimmed.starts_with("\xA1\xA1"),
            "the trimmed text starts with a space", text);
    Require(!EndsInIncompleteCharacter(trimmed), "the trimmed text ends in half a character", text);

    const std::string twice = velmora::TrimSpaces(trimmed);
    if (EndsInIncompleteCharacter(text)) {
        // Only that byte goes; the spaces in front of it stay, so a second
        // trim may still take spaces off the end, and nothing else.
        Require(cut_back.size() == 1, "more than the incomplete character was cut", text);
        Require(trimmed.starts_with(twice) &&
                    IsAllSpaces(std::string_view(trimmed).substr(twice.size())),
                "a second trim cut more than spaces", text);
        Require(velmora::TrimSpaces(twice) == twice, "a third trim changed the text", text);
    } else {
        Require(IsAllSpaces(cut_back), "something other than spaces was cut at the end", text);
        Require(twice == trimmed, "trimming is not idempotent", text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view block(reinterpret_cast<const char*>(data), size);
    CheckBytesToText(block);
    // Lines and trimming work on texts, which hold no NUL; the NUL-free part
    // is what the batch conversion hands them.
    const std::string_view text = velmora::BytesToTextView(block);
    CheckLinesOfText(text);
    for (const std::string& line : velmora::SplitText(text, kLineDelimiter)) {
        CheckTrim(line);
    }
    CheckTrim(text);

    // Any other delimiter: the first byte says how long it is (0 to 3), the
    // bytes behind it are the delimiter, the rest is the text.
    if (!text.empty()) {
        const std::size_t length =
            std::min<std::size_t>(static_cast<unsigned char>(text[0]) % 4, text.size() - 1);
        const std::string_view delimiter = text.substr(1, length);
        const std::string_view rest = text.substr(1 + length);
        Require(velmora::SplitText(rest, delimiter) == ReferenceSplit(rest, delimiter),
                "SplitText with another delimiter differs from the step-by-step cut", rest);
        Require(SplitWithSplitter(rest, delimiter) == ReferenceSplit(rest, delimiter),
                "LineSplitter with another delimiter differs from the step-by-step cut", rest);
    }
    return 0;
}
