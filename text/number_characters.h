// The characters that make up a number, for both readers: the fast reader
// hands a text to the general one exactly where these say it must, so the two
// cannot disagree on what a digit, a blank or an exponent marker is. Each
// takes a character code; a byte that is not ASCII is none of them.
#pragma once

namespace velmora::number_characters {

inline bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}

// Space and the controls tab, line feed, vertical tab, form feed and carriage
// return, as the C library's isspace gives them in the "C" locale.
inline bool IsWhiteSpace(int c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

// "D" marks an exponent as "E" does, in either case.
inline bool IsExponentMarker(int c) {
    return c == 'e' || c == 'E' || c == 'd' || c == 'D';
}

}  // namespace velmora::number_characters
